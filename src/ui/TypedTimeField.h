#pragma once

#include <QLineEdit>
#include <QPointer>

// The box in which a time of the selection is typed: it opens over the time
// label that was clicked, holding that label's text selected. Return hands the
// text over; Escape, or the focus going elsewhere, closes it unchanged. A
// refused text stays in the box, marked, with the reason as its tool tip and
// accessible description; the next opening starts without it.
// Opened from a label that has the keyboard focus, it gives the focus back to
// that label when it closes.
class TypedTimeField : public QLineEdit {
    Q_OBJECT
public:
    explicit TypedTimeField(QWidget *parent);

    // Opens over `label` for the field `which` (0 start, 1 end).
    void openOver(QWidget *label, int which);
    int which() const { return m_which; }
    void markRefused(const QString &why);
    void closeField();
    // How a time is written, the box's tip and description until a refusal.
    static QString hint();

signals:
    void entered(int which, const QString &text);

protected:
    void keyPressEvent(QKeyEvent *) override;
    void focusOutEvent(QFocusEvent *) override;

private:
    int m_which = -1;
    QPointer<QWidget> m_returnFocusTo;  // the label, when it had the focus (opened from the keyboard)
};
