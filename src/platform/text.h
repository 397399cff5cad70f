// Inside the window layer: fonts (face names resolved with fontconfig) and
// text laid out with Pango, shared by GDI and GDI+ text.
#pragma once

#include <pango/pangocairo.h>

#include <string>

#include "platform/types.h"

namespace platform {

// Turns a face name into a Pango family list. False when nothing matches
// (see gdiplus.h for what matches).
bool ResolveFace(const std::wstring& face, std::string* families);
// The families of GDI's default face.
const std::string& DefaultFamilies();
// Loads the font configuration (GdiplusStartup); harmless to call again.
void InitFonts();

// The one Pango context all text is measured and drawn with, so that
// measuring and drawing agree.
PangoContext* TextContext();
PangoFontDescription* NewFontDescription(const std::string& families, double pixelSize, int weight, bool italic);

struct FontMetrics {
  double ascent = 0;
  double descent = 0;
  double lineHeight = 0;  // ascent + descent
  double averageCharWidth = 0;
  double maxCharWidth = 0;
};
FontMetrics MetricsOf(const PangoFontDescription* desc);
// The em size whose ascent plus descent is `cellHeight` pixels.
double EmForCellHeight(const std::string& families, int weight, bool italic, double cellHeight);

enum class Align { kNear = 0, kCenter = 1, kFar = 2 };
enum class Trim { kNone = 0, kCharacter = 1, kWord = 2, kEllipsisCharacter = 3, kEllipsisWord = 4, kEllipsisPath = 5 };

struct TextRequest {
  const wchar_t* text = nullptr;
  size_t length = 0;
  const PangoFontDescription* font = nullptr;
  double x = 0, y = 0, width = 0, height = 0;  // a zero width or height is unbounded
  Align align = Align::kNear;
  Align lineAlign = Align::kNear;
  Trim trim = Trim::kNone;
  bool wrap = true;      // break lines at the width
  bool underline = false;
  bool strikeout = false;
};

// Text laid out inside its box. Owns its Pango layout.
class LaidOutText {
 public:
  explicit LaidOutText(const TextRequest& request);
  ~LaidOutText();
  LaidOutText(const LaidOutText&) = delete;
  LaidOutText& operator=(const LaidOutText&) = delete;

  // The bounding box of the laid-out text, clamped to a bounded box.
  double boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
  int lines = 0;
  int fitted = 0;  // characters shown
  // Draws at the laid-out position with the current source of `cr`.
  void Draw(cairo_t* cr) const;

 private:
  PangoLayout* layout_ = nullptr;
  double originX_ = 0, originY_ = 0;
};

}  // namespace platform
