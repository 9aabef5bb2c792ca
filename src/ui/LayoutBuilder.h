#pragma once

#include "ui/LayoutTable.h"

#include <QFont>
#include <QHash>
#include <QString>

class QWidget;
class Skin;

// Turns a window's layout table into widgets placed at their pixel geometry.
// The returned map is keyed by Element::key() ("imgButton(3)", "lblTime").
// Holders get no widget; they live as data in the window's face.
class LayoutBuilder {
public:
    LayoutBuilder(const Skin &skin, const QFont &windowFont) : m_skin(skin), m_windowFont(windowFont) {}
    QHash<QString, QWidget *> build(QWidget *window, const layout::Table &table) const;

private:
    QWidget *create(const layout::Element &e, QWidget *parent) const;
    QFont fontOf(const layout::Font &f) const;

    const Skin &m_skin;
    QFont m_windowFont;
};
