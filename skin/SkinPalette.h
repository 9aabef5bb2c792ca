#pragma once

#include <QColor>

// One palette for every picture, so the windows, their lit buttons and the
// time line read as one product. Nothing here may ever be exactly the key
// colour RGB(255, 0, 255): that colour is transparent in the window pictures.
namespace palette {

// window frame and title strip
inline const QColor FrameEdge{10, 30, 58};
inline const QColor FrameBody{190, 208, 228};
inline const QColor TitleTop{38, 92, 156};
inline const QColor TitleMid{22, 64, 118};
inline const QColor TitleBottom{13, 42, 82};
inline const QColor TitleText{246, 250, 255};
inline const QColor TitleGlyph{206, 224, 246};

// light strips: menu, toolbar, transport, status
inline const QColor MenuTop{238, 244, 251};
inline const QColor MenuBottom{214, 227, 242};
inline const QColor MenuText{24, 58, 99};
inline const QColor ToolbarTop{252, 253, 255};
inline const QColor ToolbarBottom{222, 233, 246};
inline const QColor StripLine{163, 188, 216};
inline const QColor StripHighlight{255, 255, 255};
inline const QColor TransportTop{244, 248, 252};
inline const QColor TransportBottom{212, 225, 240};
inline const QColor StatusTop{229, 237, 246};
inline const QColor StatusBottom{208, 221, 236};
inline const QColor CaptionText{46, 78, 112};
inline const QColor LinkText{24, 92, 168};

// the blue artwork of the quick-start panel
inline const QColor ArtTop{58, 134, 208};
inline const QColor ArtBottom{20, 78, 150};
inline const QColor ArtText{255, 255, 255};
inline const QColor ArtShadow{8, 36, 78};

// button faces
inline const QColor FaceTop{255, 255, 255};
inline const QColor FaceBottom{210, 224, 240};
inline const QColor FaceBorder{132, 160, 194};
inline const QColor LitTop{240, 249, 255};
inline const QColor LitBottom{176, 216, 252};
inline const QColor LitBorder{64, 136, 214};
inline const QColor PressTop{168, 192, 220};
inline const QColor PressBottom{214, 228, 243};
inline const QColor PressBorder{84, 118, 160};
inline const QColor Glyph{30, 78, 138};
inline const QColor GlyphLit{18, 98, 196};
inline const QColor GlyphPress{16, 56, 104};
inline const QColor Accent{232, 86, 38};

// the wide save button
inline const QColor SaveTop{30, 98, 176};
inline const QColor SaveBottom{16, 66, 136};
inline const QColor SaveBorder{12, 46, 96};
inline const QColor SaveLitTop{26, 88, 164};
inline const QColor SaveLitBottom{14, 60, 124};
inline const QColor SavePressTop{14, 52, 104};
inline const QColor SavePressBottom{26, 80, 146};

// read-outs: play time and the selection table
inline const QColor ReadoutTop{236, 246, 252};
inline const QColor ReadoutBottom{250, 253, 255};
inline const QColor ReadoutBorder{122, 156, 190};
inline const QColor BoxFill{255, 255, 255};
inline const QColor BoxBorder{150, 176, 204};

// time line
inline const QColor PanelTop{244, 248, 252};
inline const QColor PanelBottom{223, 233, 244};
inline const QColor PanelBorder{140, 168, 198};
inline const QColor Rail{226, 235, 245};
inline const QColor FieldTop{14, 30, 42};
inline const QColor FieldBottom{7, 17, 25};
inline const QColor FieldGrid{26, 52, 68};
inline const QColor Wave{70, 230, 120};
inline const QColor WaveDeep{24, 150, 70};
inline const QColor RulerFill{22, 38, 52};
inline const QColor RulerTick{136, 168, 192};
inline const QColor PlayHead{232, 78, 36};
inline const QColor PlayHeadLight{255, 140, 90};
inline const QColor PlayHeadDark{170, 46, 16};
inline const QColor Handle{40, 124, 226};
inline const QColor HandleLight{110, 180, 255};
inline const QColor HandleDark{20, 74, 156};

// progress fills
inline const QColor LoadTop{128, 222, 120};
inline const QColor LoadBottom{40, 150, 52};
inline const QColor CutTop{125, 175, 230};
inline const QColor CutBottom{67, 125, 190};

// settings dialog body
inline const QColor BodyTop{246, 249, 253};
inline const QColor BodyBottom{226, 236, 247};

}  // namespace palette
