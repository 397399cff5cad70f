// Face names resolved with fontconfig, and text laid out with Pango.
#include "platform/text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <map>
#include <set>
#include <vector>

#include "platform/textconv.h"

namespace platform {

namespace {

// Lower case without blanks, as fontconfig compares family names.
std::wstring FaceKey(const std::wstring& face) {
  std::wstring key;
  for (wchar_t c : face)
    if (!std::iswspace(c)) key += static_cast<wchar_t>(std::towlower(c));
  return key;
}

std::wstring FaceKey(const std::string& utf8) { return FaceKey(Utf8ToWide(utf8)); }

const char kSans[] = "DejaVu Sans";
const char kSerif[] = "DejaVu Serif";
const char kMono[] = "DejaVu Sans Mono";
const char kCjk[] = "WenQuanYi Micro Hei";

// The Windows faces the program's layouts and dialogs name, mapped to the
// fonts this platform installs.
const std::map<std::wstring, const char*>& WindowsFaces() {
  static const auto* faces = [] {
    auto* m = new std::map<std::wstring, const char*>();
    const wchar_t* sans[] = {L"Tahoma", L"Arial", L"Verdana", L"Microsoft Sans Serif", L"MS Sans Serif",
                             L"MS Shell Dlg", L"MS Shell Dlg 2", L"Segoe UI", L"Helvetica", L"Trebuchet MS",
                             L"Calibri", L"Lucida Sans Unicode", L"Arial Unicode MS", L"System"};
    const wchar_t* serif[] = {L"Times New Roman", L"Times", L"Georgia", L"Cambria", L"MS Serif"};
    const wchar_t* mono[] = {L"Courier New", L"Courier", L"Consolas", L"Lucida Console", L"Fixedsys"};
    const wchar_t* cjk[] = {L"宋体", L"SimSun", L"新宋体", L"NSimSun", L"黑体", L"SimHei", L"微软雅黑",
                            L"Microsoft YaHei", L"楷体", L"KaiTi", L"仿宋", L"FangSong", L"细明体", L"新細明體",
                            L"MingLiU", L"PMingLiU", L"微軟正黑體", L"Microsoft JhengHei", L"MS Mincho",
                            L"ＭＳ 明朝", L"MS PMincho", L"MS Gothic", L"ＭＳ ゴシック", L"MS PGothic",
                            L"MS UI Gothic", L"Meiryo", L"メイリオ", L"Dotum", L"돋움", L"DotumChe", L"Gulim",
                            L"굴림", L"Batang", L"바탕", L"Malgun Gothic", L"맑은 고딕"};
    for (auto f : sans) (*m)[FaceKey(std::wstring(f))] = kSans;
    for (auto f : serif) (*m)[FaceKey(std::wstring(f))] = kSerif;
    for (auto f : mono) (*m)[FaceKey(std::wstring(f))] = kMono;
    for (auto f : cjk) (*m)[FaceKey(std::wstring(f))] = kCjk;
    return m;
  }();
  return *faces;
}

// Installed families by key.
const std::map<std::wstring, std::string>& InstalledFamilies() {
  static const auto* families = [] {
    auto* m = new std::map<std::wstring, std::string>();
    FcInit();
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    if (set) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* family = nullptr;
        for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
          m->emplace(FaceKey(std::string(reinterpret_cast<const char*>(family))),
                     reinterpret_cast<const char*>(family));
      }
      FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return m;
  }();
  return *families;
}

// The families fontconfig's configuration lists for a name, in order,
// the name itself first.
std::vector<std::string> SubstitutedFamilies(const std::string& name) {
  std::vector<std::string> out;
  FcPattern* p = FcPatternCreate();
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcChar8* family = nullptr;
  for (int n = 0; FcPatternGetString(p, FC_FAMILY, n, &family) == FcResultMatch; ++n)
    out.emplace_back(reinterpret_cast<const char*>(family));
  FcPatternDestroy(p);
  return out;
}

// What every unknown name gets from the configuration.
const std::set<std::wstring>& GenericFallback() {
  static const auto* fallback = [] {
    auto* s = new std::set<std::wstring>();
    for (const std::string& f : SubstitutedFamilies("lanscout-no-such-face-7f3a")) s->insert(FaceKey(f));
    return s;
  }();
  return *fallback;
}

std::string WithFallback(const std::string& family) {
  std::string list = family;
  if (family != kCjk && InstalledFamilies().count(FaceKey(std::string(kCjk)))) list += std::string(",") + kCjk;
  if (family == kCjk) list += std::string(",") + kSans;
  return list;
}

}  // namespace

void InitFonts() {
  InstalledFamilies();
  GenericFallback();
  TextContext();
}

bool ResolveFace(const std::wstring& face, std::string* families) {
  std::wstring key = FaceKey(face);
  if (key.empty()) return false;
  const auto& installed = InstalledFamilies();
  // Generic families of fontconfig.
  static const std::set<std::wstring> generic = {L"sans-serif", L"sans", L"serif", L"monospace", L"mono"};
  if (generic.count(key)) {
    *families = WideToUtf8(key);
    return true;
  }
  auto known = WindowsFaces().find(key);
  if (known != WindowsFaces().end()) {
    std::string target = known->second;
    if (installed.count(FaceKey(target))) {
      *families = WithFallback(target);
    } else {
      *families = target == kMono ? "monospace" : target == kSerif ? "serif" : "sans-serif";
    }
    return true;
  }
  auto it = installed.find(key);
  if (it != installed.end()) {
    *families = WithFallback(it->second);
    return true;
  }
  // A substitute that the configuration names for this face in particular.
  std::vector<std::string> subst = SubstitutedFamilies(WideToUtf8(face));
  const auto& fallback = GenericFallback();
  for (size_t i = 1; i < subst.size(); ++i) {
    std::wstring k = FaceKey(subst[i]);
    if (fallback.count(k) || k == key) continue;
    auto inst = installed.find(k);
    if (inst != installed.end()) {
      *families = WithFallback(inst->second);
      return true;
    }
  }
  return false;
}

const std::string& DefaultFamilies() {
  static const std::string families = [] {
    std::string f;
    if (!ResolveFace(L"MS Shell Dlg", &f)) f = "sans-serif";
    return f;
  }();
  return families;
}

PangoContext* TextContext() {
  static PangoContext* context = [] {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* ctx = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(ctx, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(ctx, 96);
    return ctx;
  }();
  return context;
}

PangoFontDescription* NewFontDescription(const std::string& families, double pixelSize, int weight, bool italic) {
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, families.c_str());
  pango_font_description_set_absolute_size(d, std::max(1.0, pixelSize) * PANGO_SCALE);
  pango_font_description_set_weight(d, static_cast<PangoWeight>(std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(d, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return d;
}

FontMetrics MetricsOf(const PangoFontDescription* desc) {
  FontMetrics m;
  PangoFontMetrics* fm = pango_context_get_metrics(TextContext(), desc, nullptr);
  if (!fm) return m;
  m.ascent = pango_font_metrics_get_ascent(fm) / double(PANGO_SCALE);
  m.descent = pango_font_metrics_get_descent(fm) / double(PANGO_SCALE);
  m.lineHeight = m.ascent + m.descent;
  m.averageCharWidth = pango_font_metrics_get_approximate_char_width(fm) / double(PANGO_SCALE);
  m.maxCharWidth = std::max(m.averageCharWidth, pango_font_metrics_get_approximate_digit_width(fm) / double(PANGO_SCALE)) * 2;
  pango_font_metrics_unref(fm);
  return m;
}

double EmForCellHeight(const std::string& families, int weight, bool italic, double cellHeight) {
  static std::map<std::string, double> ratios;  // cell height per em pixel
  std::string key = families + "|" + std::to_string(weight) + (italic ? "i" : "");
  auto it = ratios.find(key);
  if (it == ratios.end()) {
    PangoFontDescription* d = NewFontDescription(families, 100, weight, italic);
    FontMetrics m = MetricsOf(d);
    pango_font_description_free(d);
    double ratio = m.lineHeight > 0 ? m.lineHeight / 100.0 : 1.2;
    it = ratios.emplace(key, ratio).first;
  }
  return cellHeight / it->second;
}

// ---- layout ----------------------------------------------------------------------------

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";  // U+2026

std::string Prefix(const std::string& utf8, int chars) {
  const char* start = utf8.c_str();
  const char* end = g_utf8_offset_to_pointer(start, chars);
  std::string p(start, end);
  while (!p.empty() && (p.back() == ' ' || p.back() == '\t' || p.back() == '\n' || p.back() == '\r')) p.pop_back();
  return p;
}

double LayoutWidth(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return logical.width / double(PANGO_SCALE);
}

// How many lines lie wholly inside `height` (at least one).
int LinesInside(PangoLayout* layout, double height) {
  PangoLayoutIter* iter = pango_layout_get_iter(layout);
  int count = 0;
  do {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    double bottom = (logical.y + logical.height) / double(PANGO_SCALE);
    if (bottom <= height + 0.01) ++count;
    else break;
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return std::max(1, count);
}

}  // namespace

LaidOutText::LaidOutText(const TextRequest& r) {
  std::wstring wide = r.text ? std::wstring(r.text, r.length) : std::wstring();
  size_t nul = wide.find(L'\0');
  if (nul != std::wstring::npos) wide.resize(nul);
  std::string utf8 = WideToUtf8(wide);
  layout_ = pango_layout_new(TextContext());
  if (r.font) pango_layout_set_font_description(layout_, r.font);
  if (r.underline || r.strikeout) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (r.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (r.strikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout_, attrs);
    pango_attr_list_unref(attrs);
  }
  bool boundedW = r.width > 0, boundedH = r.height > 0;
  if (boundedW && r.wrap) {
    pango_layout_set_width(layout_, static_cast<int>(r.width * PANGO_SCALE));
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout_, r.align == Align::kCenter ? PANGO_ALIGN_CENTER
                                        : r.align == Align::kFar  ? PANGO_ALIGN_RIGHT
                                                                  : PANGO_ALIGN_LEFT);
  } else {
    pango_layout_set_alignment(layout_, r.align == Align::kCenter ? PANGO_ALIGN_CENTER
                                        : r.align == Align::kFar  ? PANGO_ALIGN_RIGHT
                                                                  : PANGO_ALIGN_LEFT);
  }
  pango_layout_set_text(layout_, utf8.c_str(), static_cast<int>(utf8.size()));
  int totalChars = static_cast<int>(g_utf8_strlen(utf8.c_str(), static_cast<gssize>(utf8.size())));
  fitted = totalChars;

  bool horizontalOnly = boundedW && !r.wrap;
  if (r.trim != Trim::kNone && !utf8.empty() && (boundedH || horizontalOnly)) {
    int maxLines = boundedH ? LinesInside(layout_, r.height) : INT_MAX;
    auto overflows = [&]() {
      return pango_layout_get_line_count(layout_) > maxLines || (horizontalOnly && LayoutWidth(layout_) > r.width);
    };
    if (overflows()) {
      // Character positions where the text may be cut.
      int nAttrs = 0;
      const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout_, &nAttrs);
      std::vector<int> chars, words;
      for (int i = 1; i <= totalChars && i < nAttrs; ++i) {
        chars.push_back(i);
        if (attrs[i].is_word_end) words.push_back(i);
      }
      bool ellipsis = r.trim == Trim::kEllipsisCharacter || r.trim == Trim::kEllipsisWord ||
                      r.trim == Trim::kEllipsisPath;
      bool byWord = r.trim == Trim::kWord || r.trim == Trim::kEllipsisWord;
      auto fits = [&](int cut) {
        std::string s = Prefix(utf8, cut);
        if (ellipsis) s += kEllipsis;
        pango_layout_set_text(layout_, s.c_str(), static_cast<int>(s.size()));
        return !overflows();
      };
      auto search = [&](const std::vector<int>& cuts) {
        int lo = 0, hi = static_cast<int>(cuts.size()) - 1, best = -1;
        while (lo <= hi) {
          int mid = (lo + hi) / 2;
          if (fits(cuts[mid])) best = mid, lo = mid + 1;
          else hi = mid - 1;
        }
        return best < 0 ? -1 : cuts[best];
      };
      int cut = -1;
      if (byWord) cut = search(words);
      if (cut < 0) cut = search(chars);
      if (cut < 0) cut = 0;
      std::string s = Prefix(utf8, cut);
      if (ellipsis) s += kEllipsis;
      pango_layout_set_text(layout_, s.c_str(), static_cast<int>(s.size()));
      fitted = cut;
    }
  }

  PangoRectangle logical;
  pango_layout_get_extents(layout_, nullptr, &logical);
  double lx = logical.x / double(PANGO_SCALE);
  double lw = logical.width / double(PANGO_SCALE);
  double lh = logical.height / double(PANGO_SCALE);
  lines = pango_layout_get_line_count(layout_);
  if (totalChars == 0) lw = lh = 0, lines = 0;

  double factor = r.align == Align::kCenter ? 0.5 : r.align == Align::kFar ? 1.0 : 0.0;
  if (boundedW && r.wrap) {
    originX_ = r.x;
  } else if (boundedW) {
    originX_ = r.x + (r.width - lw) * factor - lx;
  } else {
    originX_ = r.x - lw * factor - lx;
  }
  double vfactor = r.lineAlign == Align::kCenter ? 0.5 : r.lineAlign == Align::kFar ? 1.0 : 0.0;
  originY_ = boundedH ? r.y + (r.height - lh) * vfactor : r.y - lh * vfactor;
  boxX = originX_ + lx;
  boxY = originY_;
  boxWidth = lw;
  boxHeight = lh;
  if (boundedW && boxWidth > r.width) {
    boxWidth = r.width;
    boxX = r.x;
  }
  if (boundedH && boxHeight > r.height) {
    boxHeight = r.height;
    boxY = r.y;
  }
}

LaidOutText::~LaidOutText() {
  if (layout_) g_object_unref(layout_);
}

void LaidOutText::Draw(cairo_t* cr) const {
  if (lines == 0) return;
  cairo_move_to(cr, originX_, originY_);
  pango_cairo_show_layout(cr, layout_);
}

}  // namespace platform
