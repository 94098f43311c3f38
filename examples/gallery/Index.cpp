// The gallery's face: a caption band with the page's title and sentence above
// each picture, and index.html, which shows every picture as a thumbnail in
// the order a reader should meet them.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

#include "examples/gallery/Gallery.h"
#include "platform/vcl/Graphics.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/PngImage.h"

namespace gallery {

namespace {

// Band colours: a near-white band with a rule under it, the title near black
// and the sentence a dark grey (over 7:1 on the band).
constexpr vcl::COLORREF kBand = vcl::RGB(251, 251, 252);
constexpr vcl::COLORREF kRule = vcl::RGB(208, 213, 220);
constexpr vcl::COLORREF kTitle = vcl::RGB(28, 34, 44);
constexpr vcl::COLORREF kSentence = vcl::RGB(72, 80, 92);
constexpr int kPad = 16;

struct TNote {
  std::string Text;
  bool InPicture = false;
};

std::map<std::string, TNote>& Notes() {
  static std::map<std::string, TNote> notes;
  return notes;
}

// The height the text takes wrapped to width in the canvas's font.
int TextHeight(vcl::TCanvas* c, const vcl::String& s, int width) {
  vcl::RECT r{0, 0, width, 0};
  vcl::DrawText(c->Handle(), s.c_str(), int(s.size()), &r, vcl::DT_WORDBREAK | vcl::DT_NOPREFIX | vcl::DT_CALCRECT);
  return r.Bottom;
}

void DrawWrapped(vcl::TCanvas* c, const vcl::String& s, int x, int y, int width, int height) {
  vcl::RECT r{x, y, x + width, y + height};
  vcl::DrawText(c->Handle(), s.c_str(), int(s.size()), &r, vcl::DT_WORDBREAK | vcl::DT_NOPREFIX);
}

void SetFont(vcl::TCanvas* c, int size, bool bold, vcl::COLORREF color) {
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(size);
  c->Font()->SetStyle(bold ? vcl::TFontStyles{vcl::TFontStyle::fsBold} : vcl::TFontStyles());
  c->Font()->SetColor(vcl::TColor(color));
}

void CaptionPicture(const Page& page, const std::string& path) {
  using namespace vcl;
  TPngImage picture;
  picture.LoadFromFile(FromUtf8(path));
  const int w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0) return;
  const String title = FromUtf8(page.Title ? page.Title : page.Name);
  std::string text = page.Sentence ? page.Sentence : "";
  const auto note = Notes().find(path);
  if (note != Notes().end() && !note->second.InPicture)
    text += (text.empty() ? "" : " This picture: ") + note->second.Text + ".";
  const String sentence = FromUtf8(text);
  const int textWidth = std::max(w - 2 * kPad, 120);

  auto sheet = std::make_unique<TBitmap>();
  sheet->SetPixelFormat(TPixelFormat::pf32bit);
  sheet->SetSize(w, h);  // to measure the text; grows by the band below
  TCanvas* c = sheet->Canvas();
  SetFont(c, 13, true, kTitle);
  const int titleHeight = TextHeight(c, title, textWidth);
  SetFont(c, 9, false, kSentence);
  const int sentenceHeight = sentence.empty() ? 0 : TextHeight(c, sentence, textWidth);
  const int band = 12 + titleHeight + (sentence.empty() ? 0 : 4 + sentenceHeight) + 12;

  sheet->SetSize(w, h + band);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(TColor(kBand));
  c->FillRect(TRect(0, 0, w, band));
  c->Brush()->SetColor(TColor(kRule));
  c->FillRect(TRect(0, band - 1, w, band));
  // A translucent picture shows over the sheets' light page, not over black.
  c->Brush()->SetColor(TColor(RGB(243, 244, 246)));
  c->FillRect(TRect(0, band, w, band + h));
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  SetFont(c, 13, true, kTitle);
  DrawWrapped(c, title, kPad, 12, textWidth, titleHeight);
  SetFont(c, 9, false, kSentence);
  if (!sentence.empty()) DrawWrapped(c, sentence, kPad, 12 + titleHeight + 4, textWidth, sentenceHeight);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Draw(0, band, &picture);
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), w, h + band), path);
}

std::string Html(const std::string& s) {
  std::string out;
  for (char ch : s) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

// A picture's width and height from its PNG header; 0 x 0 when it is not a
// PNG or cannot be read.
std::pair<int, int> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[24] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) || head[1] != 'P' || head[2] != 'N' || head[3] != 'G')
    return {0, 0};
  auto big = [&](int at) { return int(head[at]) << 24 | int(head[at + 1]) << 16 | int(head[at + 2]) << 8 | int(head[at + 3]); };
  return {big(16), big(20)};
}

// The thumbnail's box for a picture, as the launcher cuts its cards: the
// picture scaled (never up) until it covers a Width x Height box, then cut
// to the box's top middle, so a tall sheet shows its first rows instead of
// shrinking to a sliver. The page's CSS does the cutting (object-fit).
std::pair<int, int> ThumbBox(const std::string& path, int Width, int Height) {
  const auto [w, h] = PngSize(path);
  if (w <= 0 || h <= 0) return {Width, Height};
  const double scale = std::min(std::max(double(Width) / w, double(Height) / h), 1.0);
  return {std::min(std::max(1, int(w * scale + 0.5)), Width), std::min(std::max(1, int(h * scale + 0.5)), Height)};
}

std::string Anchor(const std::string& section) {
  std::string a;
  for (char ch : section) a += std::isalnum(static_cast<unsigned char>(ch)) ? char(std::tolower(ch)) : '-';
  return a;
}

constexpr const char* kStyle = R"(
body { margin: 0; font: 15px/1.45 "DejaVu Sans", "Segoe UI", sans-serif; color: #1c222c; background: #f3f4f6; }
header { padding: 28px 40px 20px; background: #fbfbfc; border-bottom: 1px solid #d0d5dc; }
h1 { margin: 0 0 6px; font-size: 26px; }
header p { margin: 0; color: #48505c; max-width: 60em; }
nav { margin-top: 12px; }
nav a { margin-right: 18px; color: #1f5fa8; text-decoration: none; font-weight: bold; }
section { padding: 8px 40px 24px; }
h2 { font-size: 20px; margin: 24px 0 12px; padding-bottom: 4px; border-bottom: 2px solid #1f5fa8; }
.pages { display: grid; grid-template-columns: repeat(auto-fill, minmax(300px, 1fr)); gap: 20px; align-items: start; }
.page { background: #fff; border: 1px solid #d0d5dc; border-radius: 6px; padding: 12px; }
.page.steps { grid-column: 1 / -1; }
.page h3 { margin: 0 0 4px; font-size: 16px; }
.page p { margin: 0 0 10px; color: #48505c; font-size: 13.5px; }
.page p.none { color: #5a6270; font-style: italic; }
.page .name { color: #5a6270; font-size: 12px; font-weight: normal; }
figure { display: inline-block; margin: 0 8px 8px 0; vertical-align: top; }
figure img { display: block; object-fit: cover; object-position: 50% 0; border: 1px solid #d0d5dc; background: #f3f4f6; }
figcaption { font-size: 12px; color: #48505c; max-width: 276px; }
.steps figcaption { max-width: 132px; }
figcaption .file { display: block; font: 11.5px "DejaVu Sans Mono", monospace; color: #5a6270; }
)";
}  // namespace

void NotePicture(const std::string& path, const std::string& note, bool inPicture) {
  Notes()[path] = {note, inPicture};
}

void CaptionPictures(const Page& page, const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0) CaptionPicture(page, path);
}

std::string WriteIndex(const std::string& outDir, const std::vector<PageRun>& runs) {
  const char* order[] = {kGraphics, kSkin, kControls, kForms, kTree, kDesign, nullptr};
  std::vector<const char*> sections(std::begin(order), std::end(order));
  auto sectionOf = [&](const PageRun& r) -> const char* {
    for (const char* s : sections)
      if (s && r.Info.Section && std::string(s) == r.Info.Section) return s;
    return nullptr;  // listed under "More pages"
  };
  std::string body;
  std::string nav;
  int pictures = 0;
  for (const char* section : sections) {
    std::string cards;
    for (const PageRun& r : runs) {
      if (sectionOf(r) != section) continue;
      const bool many = r.Paths.size() > 4;
      cards += "<div class=\"page" + std::string(many ? " steps" : "") + "\">\n<h3>" +
               Html(r.Info.Title ? r.Info.Title : r.Info.Name) + " <span class=\"name\">" + Html(r.Info.Name) +
               "</span></h3>\n";
      if (r.Info.Sentence) cards += "<p>" + Html(r.Info.Sentence) + "</p>\n";
      // A page that draws nothing still has its card, saying where its
      // results go, so that the index lists every page.
      if (r.Paths.empty())
        cards += "<p class=\"none\">No picture: the page prints its results as text when the gallery runs.</p>\n";
      for (const std::string& path : r.Paths) {
        const std::string file = std::filesystem::path(path).filename().string();
        const auto note = Notes().find(path);
        const auto [tw, th] = ThumbBox(path, many ? 132 : 276, many ? 110 : 180);
        cards += "<figure><a href=\"" + Html(file) + "\"><img src=\"" + Html(file) + "\" alt=\"" + Html(file) +
                 "\" width=\"" + std::to_string(tw) + "\" height=\"" + std::to_string(th) +
                 "\" loading=\"lazy\"></a><figcaption><span class=\"file\">" + Html(file) + "</span>";
        if (note != Notes().end()) cards += Html(note->second.Text);
        cards += "</figcaption></figure>\n";
        ++pictures;
      }
      cards += "</div>\n";
    }
    if (cards.empty()) continue;
    const std::string name = section ? section : "More pages";
    nav += "<a href=\"#" + Anchor(name) + "\">" + Html(name) + "</a>\n";
    body += "<section id=\"" + Anchor(name) + "\">\n<h2>" + Html(name) + "</h2>\n<div class=\"pages\">\n" + cards +
            "</div>\n</section>\n";
  }
  const std::string path = outDir + "/index.html";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>Quarn gallery</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<header>\n"
      << "<h1>Quarn gallery</h1>\n<p>" << pictures
      << " pictures drawn by the library on its headless host: the graphics layers first, then the skin, the "
         "skinned and standard controls, forms and windows, the tree view and the design host. Each thumbnail "
         "opens the full picture.</p>\n<nav>\n"
      << nav << "</nav>\n</header>\n"
      << body << "</body>\n</html>\n";
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace gallery
