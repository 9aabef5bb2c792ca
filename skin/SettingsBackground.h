#pragma once

#include <QImage>

// The settings dialog's face: title strip with "设置" and the close cross, the
// two painted captions above the lists, room for the two label buttons, and the
// key-colour margin.
namespace settingsbg {
QImage paint(qreal dpr);
}
