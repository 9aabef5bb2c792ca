#include "ui/TypedTimeField.h"

#include <QKeyEvent>
#include <QLabel>
#include <QCoreApplication>

TypedTimeField::TypedTimeField(QWidget *parent) : QLineEdit(parent)
{
    hide();
    setFrame(true);
    setAlignment(Qt::AlignCenter);
    setToolTip(hint());
    setAccessibleName(QCoreApplication::translate("TypedTimeField", "选择的开始位置"));
}

QString TypedTimeField::hint()
{
    return QCoreApplication::translate("TypedTimeField", "输入时间，例如 00:00:41.500、1:02.5 或 41.5，回车确定，Esc 取消");
}

void TypedTimeField::openOver(QWidget *label, int which)
{
    m_which = which;
    m_returnFocusTo = label->hasFocus() ? label : nullptr;
    // a reason given for an earlier refusal no longer holds
    setStyleSheet(QString());
    setToolTip(hint());
    setAccessibleName(which == 0 ? QCoreApplication::translate("TypedTimeField", "选择的开始位置")
                                 : QCoreApplication::translate("TypedTimeField", "选择的结束位置"));
    setAccessibleDescription(hint());
    setFont(label->font());
    if (const auto *text = qobject_cast<QLabel *>(label))
        setText(text->text());
    // A little wider than the label, so the whole time and the cursor fit.
    const QRect area = label->geometry().adjusted(-4, -3, 12, 3);
    setGeometry(area);
    show();
    raise();
    setFocus(Qt::MouseFocusReason);
    selectAll();
}

void TypedTimeField::markRefused(const QString &why)
{
    setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid #c0392b; background: #fdecea; }"));
    setToolTip(why);
    // a screen reader speaks the focused box's new description
    setAccessibleDescription(why);
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void TypedTimeField::closeField()
{
    m_which = -1;
    // Hiding a focused box would hand the focus to the next control in the chain.
    if (hasFocus()) {
        if (m_returnFocusTo)
            m_returnFocusTo->setFocus(Qt::OtherFocusReason);
        else
            window()->setFocus(Qt::OtherFocusReason);
    }
    m_returnFocusTo = nullptr;
    hide();
}

void TypedTimeField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        closeField();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit entered(m_which, text());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TypedTimeField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // a refused text keeps the box open until the user takes it back
    if (styleSheet().isEmpty() && isVisible()) {
        m_returnFocusTo = nullptr;  // the focus has gone where it was sent
        closeField();
    }
}
