#include "ui/SkinAccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QMenu>
#include <QAccessibleObject>
#include <QWindow>
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

struct Group {
    QAccessible::Role role;
    std::function<QString()> name;
    QList<QPointer<QWidget>> members;
};

QHash<const QObject *, Group> &groups()
{
    static QHash<const QObject *, Group> all;
    return all;
}

// A group of widgets that has no widget of its own (the menu bar over the
// painted menu words): its parent is its first member's parent.
class GroupInterface : public QAccessibleObject {
public:
    explicit GroupInterface(QObject *group) : QAccessibleObject(group) {}

    bool isValid() const override { return QAccessibleObject::isValid() && group() && !members().isEmpty(); }
    QAccessible::Role role() const override { return group() ? group()->role : QAccessible::NoRole; }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name && group() && group()->name ? group()->name() : QString();
    }
    QAccessible::State state() const override { return {}; }
    QWindow *window() const override
    {
        const QList<QWidget *> all = members();
        return all.isEmpty() ? nullptr : all.first()->window()->windowHandle();
    }
    QRect rect() const override
    {
        QRect area;
        for (QWidget *w : members())
            area |= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        return area;
    }
    QAccessibleInterface *parent() const override
    {
        const QList<QWidget *> all = members();
        return all.isEmpty() ? nullptr : QAccessible::queryAccessibleInterface(all.first()->parentWidget());
    }
    int childCount() const override { return int(members().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> all = members();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() && child->object()->isWidgetType()
                   ? int(members().indexOf(static_cast<QWidget *>(child->object())))
                   : -1;
    }

private:
    const Group *group() const
    {
        const auto found = groups().constFind(object());
        return found == groups().constEnd() ? nullptr : &*found;
    }
    QList<QWidget *> members() const
    {
        QList<QWidget *> all;
        if (const Group *g = group())
            for (const QPointer<QWidget> &w : g->members)
                if (w)
                    all.append(w);
        return all;
    }
};

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

    QAccessibleInterface *parent() const override
    {
        const Traits *t = traits();
        if (t && t->group)
            return QAccessible::queryAccessibleInterface(t->group);
        return QAccessibleWidget::parent();
    }

    // children: a menu word's popup; otherwise all child widgets but windows,
    // menus and decorations, a group in place of its members
    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QObject *> children = shownChildren();
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(shownChildren().indexOf(child->object())) : -1;
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
    QList<QObject *> shownChildren() const
    {
        QList<QObject *> shown;
        if (const Traits *t = traits(); t && t->popup) {
            if (QWidget *popup = t->popup())
                shown.append(popup);
            return shown;
        }
        for (QObject *o : widget()->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (!w || w->isWindow() || qobject_cast<QMenu *>(w))
                continue;
            if (const Traits *t = traitsOf(w); t && t->decorative)
                continue;
            if (const Traits *t = traitsOf(w); t && t->group) {
                if (!shown.contains(t->group))
                    shown.append(t->group);
                continue;
            }
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
    if (object && groups().contains(object))
        return new GroupInterface(object);
    if (!object || !object->isWidgetType())
        return nullptr;
    const Traits *t = traitsOf(object);
    return t ? new Interface(static_cast<QWidget *>(object), t->role) : nullptr;
}

}  // namespace

static void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void describe(QWidget *widget, Traits traits)
{
    installFactory();
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

void describeGroup(QObject *group, QAccessible::Role role, std::function<QString()> name, QList<QWidget *> members)
{
    installFactory();
    Group g{role, std::move(name), {}};
    for (QWidget *w : members) {
        if (const auto found = registry().find(w); found != registry().end()) {
            found->traits.group = group;
            g.members.append(w);
        }
    }
    const bool known = groups().contains(group);
    groups()[group] = std::move(g);
    if (!known)
        QObject::connect(group, &QObject::destroyed, [key = static_cast<const QObject *>(group)] { groups().remove(key); });
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
    if (widget->isVisible()) {
        QAccessibleEvent hidden(widget, QAccessible::ObjectHide);
        tell(&hidden);
        QAccessibleEvent shown(widget, QAccessible::ObjectShow);
        tell(&shown);
    }
}

void setObserver(std::function<void(QAccessibleEvent *)> heard)
{
    observer() = std::move(heard);
}

}  // namespace skin_access
