#include "ui/SkinAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <cmath>

namespace skin_access {
namespace {

struct Entry {
    Traits traits;
    QString toldName;
    double toldValue = std::nan("");
};

QHash<const QObject *, Entry> &registry()
{
    static QHash<const QObject *, Entry> entries;
    return entries;
}

const Traits *traitsOf(const QObject *object)
{
    const auto found = registry().constFind(object);
    return found == registry().constEnd() ? nullptr : &found->traits;
}

// The interface of a described widget: every answer comes from its traits.
class Interface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    Interface(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QAccessible::Role role() const override
    {
        const Traits *t = traits();
        return t ? t->role : QAccessibleWidget::role();
    }

    QString text(QAccessible::Text kind) const override
    {
        const Traits *t = traits();
        if (t && kind == QAccessible::Name && t->name)
            return t->name();
        if (t && kind == QAccessible::Description && t->description)
            return t->description();
        if (t && kind == QAccessible::Value && t->value)
            return QString::number(t->value());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const Traits *t = traits();
        if (t && t->value && !t->setValue)
            s.readOnly = true;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        const Traits *t = traits();
        if (type == QAccessible::ValueInterface && t && t->value)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // children: all child widgets but windows, menus and decorations
    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> children = shownChildren();
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object() || !child->object()->isWidgetType())
            return -1;
        return int(shownChildren().indexOf(static_cast<QWidget *>(child->object())));
    }

    // actions
    QStringList actionNames() const override
    {
        QStringList names;
        if (const Traits *t = traits()) {
            if (t->press && widget()->isEnabled()) {
                names << pressAction();
                if (t->role == QAccessible::MenuItem)
                    names << showMenuAction();
            }
            if (t->setValue && t->step > 0)
                names << increaseAction() << decreaseAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        const Traits *t = traits();
        if (!t || !widget()->isEnabled()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (t->press && (action == pressAction() || (t->role == QAccessible::MenuItem && action == showMenuAction()))) {
            // A press may open a modal dialog or a popup; the caller is answered first.
            QPointer<QWidget> target = widget();
            QMetaObject::invokeMethod(
                target,
                [target] {
                    if (const Traits *now = target ? traitsOf(target) : nullptr; now && now->press && target->isEnabled())
                        now->press();
                },
                Qt::QueuedConnection);
            return;
        }
        if (t->setValue && t->step > 0 && (action == increaseAction() || action == decreaseAction())) {
            t->setValue(t->value() + (action == increaseAction() ? t->step : -t->step));
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // value
    QVariant currentValue() const override
    {
        const Traits *t = traits();
        return t && t->value ? QVariant(t->value()) : QVariant();
    }
    void setCurrentValue(const QVariant &value) override
    {
        const Traits *t = traits();
        if (t && t->setValue && widget()->isEnabled())
            t->setValue(value.toDouble());
    }
    QVariant maximumValue() const override
    {
        const Traits *t = traits();
        return t && t->maximum ? QVariant(t->maximum()) : QVariant(0.0);
    }
    QVariant minimumValue() const override { return QVariant(0.0); }
    QVariant minimumStepSize() const override
    {
        const Traits *t = traits();
        return QVariant(t ? t->step : 0.0);
    }

private:
    const Traits *traits() const { return traitsOf(object()); }
    QList<QWidget *> shownChildren() const
    {
        QList<QWidget *> shown;
        for (QObject *o : widget()->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (!w || w->isWindow() || qobject_cast<QMenu *>(w))
                continue;
            if (const Traits *t = traitsOf(w); t && t->decorative)
                continue;
            shown.append(w);
        }
        return shown;
    }
};

std::function<void(QAccessibleEvent *)> &observer()
{
    static std::function<void(QAccessibleEvent *)> heard;
    return heard;
}

void tell(QAccessibleEvent *event)
{
    QAccessible::updateAccessibility(event);
    if (observer())
        observer()(event);
}

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    const Traits *t = traitsOf(object);
    return t ? new Interface(static_cast<QWidget *>(object), t->role) : nullptr;
}

}  // namespace

void describe(QWidget *widget, Traits traits)
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
    if (!widget)
        return;
    const bool known = registry().contains(widget);
    registry()[widget] = Entry{std::move(traits)};
    // An interface made before the traits (a label announces each new text
    // while it is being built) gives way to one that reads them.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(widget); made && !dynamic_cast<Interface *>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    if (!known)
        QObject::connect(widget, &QObject::destroyed, [key = static_cast<const QObject *>(widget)] {
            registry().remove(key);
        });
}

void leaveOut(QWidget *widget)
{
    describe(widget, {.role = QAccessible::Graphic, .decorative = true});
}

bool isDescribed(const QWidget *widget)
{
    return traitsOf(widget) != nullptr;
}

bool refresh(QWidget *widget)
{
    const auto found = registry().find(widget);
    if (found == registry().end())
        return false;
    Entry &entry = *found;
    bool renamed = false;
    if (entry.traits.name) {
        const QString name = entry.traits.name();
        if (name != entry.toldName) {
            entry.toldName = name;
            renamed = true;
            QAccessibleEvent event(widget, QAccessible::NameChanged);
            tell(&event);
        }
    }
    if (entry.traits.value) {
        const double value = entry.traits.value();
        if (value != entry.toldValue) {
            entry.toldValue = value;
            QAccessibleValueChangeEvent event(widget, value);
            tell(&event);
        }
    }
    return renamed;
}

void announce(QWidget *widget)
{
    refresh(widget);
    QAccessibleEvent event(widget, QAccessible::Alert);
    tell(&event);
}

void setObserver(std::function<void(QAccessibleEvent *)> heard)
{
    observer() = std::move(heard);
}

}  // namespace skin_access
