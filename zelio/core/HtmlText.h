#pragma once

#include <string>
#include <string_view>

namespace zelio {

// Turns HTML into the plain text the browser shows and indexes: tags, comments and the
// contents of <script> and <style> are dropped; block elements (p, br, div, li, tr, h1-h6,
// ...) end a line; runs of white space outside <pre> become one blank; the entities &amp;
// &lt; &gt; &quot; &apos; &nbsp; and numeric ones (&#NN; &#xHH;) are decoded (invalid code
// points become U+FFFD); unknown entities stay as written. Input and output are UTF-8.
// Never fails; any bytes give some text.
std::string HtmlToText(std::string_view html);

// The plain text of a content file's bytes: decoded (valid UTF-8 as it is, anything else as
// Windows-1252), CR before LF dropped, and for HTML converted with HtmlToText.
std::string ContentText(std::string_view bytes, bool html);

// True for names of content files: *.txt, *.htm, *.html (ignoring case); html receives
// whether it is an HTML file.
bool IsContentFileName(std::string_view name, bool* html = nullptr);

} // namespace zelio
