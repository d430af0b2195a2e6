// The pieces every page the program and the tool write is made of: text escaped for HTML, a
// picture carried in the page as its own SVG, the page styles for paper, and the PDF of a
// page by an engine of the system.
#pragma once

#include <optional>
#include <string>

namespace orvenda::html {

// Text for an HTML page: &, <, > and " as entities.
std::string escaped(const std::string& text);

// A picture as an image whose source is its own SVG text: browsers draw it, text browsers
// show the one line of its alt text (plain text, escaped here) in its place.
std::string svgImage(const std::string& svg, const std::string& alt, const std::string& cssClass);

// The page styles the sheet and the reports share for paper: A4, the margins, page numbers
// and the chart's name in each page's foot.
std::string pageFootStyle(const std::string& chartName,
                          const std::string& margins = "12mm 12mm 16mm");

// The styles of the pages of periods and dates (the time lords', the directions'): the
// text, the headings, the picture across the years, the tables of dates (the row of the date
// read in bold), the reading, and paper (the reading from a page of its own, no heading or
// row cut from what follows it).
const char* periodPageStyle();

// A page's PDF, or why there is none: the reason as it follows "can't write FILE: ".
struct Pdf {
  std::optional<std::string> bytes;
  std::string reason;
};
// The PDF of a page's HTML by the first engine found on the PATH (WeasyPrint, then headless
// Chromium), or the one ORVENDA_PDF names. The page and the engine's work stay in a folder
// of their own, gone afterwards.
Pdf pdfOf(const std::string& page);

}  // namespace orvenda::html
