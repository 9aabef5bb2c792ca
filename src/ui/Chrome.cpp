#include "ui/Chrome.h"

#include <algorithm>

namespace {
template <std::size_t N>
void clearAll(std::array<Chrome::Light, N> &set)
{
    std::fill(set.begin(), set.end(), Chrome::Light::Clear);
}
}  // namespace

void Chrome::setHint(const QString &text)
{
    if (m_hint == text)
        return;
    m_hint = text;
    emit changed();
}

void Chrome::faceMoved()
{
    close = minimise = quickStart = Light::Clear;
    clearAll(toolbar);
    clearAll(menu);
    clearAll(transport);
    setHint(QString());
    m_buttonPressed = false;
    emit changed();
}

void Chrome::pointerLeft()
{
    if (!m_buttonPressed)
        faceMoved();
}

void Chrome::toolbarPressed(int index)
{
    if (index < 0 || index >= int(toolbar.size()))
        return;
    // the toolbar has no pressed pictures: a held button shows its plain face
    toolbar[index] = Light::Clear;
    m_buttonPressed = true;
    emit changed();
}

void Chrome::toolbarMoved(int index, const QString &toolTip)
{
    if (index < 0 || index >= int(toolbar.size()))
        return;
    if (!m_buttonPressed) {
        clearAll(toolbar);
        toolbar[index] = Light::Lit;
        emit changed();
    }
    setHint(toolTip);
}

void Chrome::toolbarReleased(int)
{
    m_buttonPressed = false;
}

void Chrome::transportPressed(int index)
{
    if (index < 0 || index >= int(transport.size()))
        return;
    transport[index] = Light::Pressed;
    m_buttonPressed = true;
    emit changed();
}

void Chrome::transportMoved(int index, const QString &toolTip)
{
    if (index < 0 || index >= int(transport.size()))
        return;
    if (!m_buttonPressed) {
        clearAll(transport);
        transport[index] = Light::Lit;
        emit changed();
    }
    setHint(toolTip);
}

void Chrome::transportReleased(int)
{
    m_buttonPressed = false;
}

void Chrome::menuMoved(int index)
{
    if (index < 0 || index >= int(menu.size()))
        return;
    clearAll(menu);
    menu[index] = Light::Lit;
    emit changed();
}

void Chrome::minimiseMoved(const QString &toolTip)
{
    minimise = Light::Lit;
    close = Light::Clear;
    emit changed();
    setHint(toolTip);
}

void Chrome::closeMoved()
{
    close = Light::Lit;
    minimise = Light::Clear;
    emit changed();
}

void Chrome::quickStartMoved()
{
    quickStart = Light::Lit;
    emit changed();
}
