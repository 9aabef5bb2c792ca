#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// The picture stores of the main window: every lit and pressed picture, each
// cut from the bare window face under its hot spot with the highlighted face
// painted over it.
namespace buttonpics {

QHash<QString, QImage> paint(const QImage &bareMainFace);

}  // namespace buttonpics
