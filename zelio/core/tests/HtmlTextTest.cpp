#include "HtmlText.h"

#include <gtest/gtest.h>

using namespace zelio;

TEST(HtmlText, TagsGoAndBlocksEndLines)
{
    EXPECT_EQ(HtmlToText("<html><head><title>T</title></head><body><p>Pump <b>P</b>-101</p>"
                         "<p>Second<br>line</p></body></html>"),
              "T\nPump P-101\nSecond\nline");
    EXPECT_EQ(HtmlToText("<table><tr><td>a</td><td>b</td></tr></table>"), "a b");
}

TEST(HtmlText, EntitiesAreDecoded)
{
    EXPECT_EQ(HtmlToText("a &amp; b &lt;c&gt; &quot;d&quot; e&nbsp;f"), "a & b <c> \"d\" e f");
    EXPECT_EQ(HtmlToText("&#65;&#x42;&#X43; &#228;"), "ABC \xC3\xA4");
    // Invalid code points become the replacement character; unknown or open entities stay.
    EXPECT_EQ(HtmlToText("&#0;&#xD800;&#9999999;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(HtmlToText("&copy; &amp &#; &#xZZ;"), "&copy; &amp &#; &#xZZ;");
}

TEST(HtmlText, WhiteSpaceCollapsesOutsidePre)
{
    EXPECT_EQ(HtmlToText("  a \n\t b  "), "a b");
    EXPECT_EQ(HtmlToText("<pre>x  y\n z</pre>after"), "x  y\n z\nafter");
}

TEST(HtmlText, ScriptsStylesCommentsAndStrayBrackets)
{
    EXPECT_EQ(HtmlToText("a<script>var x = '<p>';</script>b<STYLE>p{}</STYLE>c<!-- <p>hidden -->d"),
              "abcd");
    EXPECT_EQ(HtmlToText("x < y and 3<4"), "x < y and 3<4");
    EXPECT_EQ(HtmlToText("<a href='x>y'>link</a>"), "link");
    // Unclosed constructs end the text instead of failing.
    EXPECT_EQ(HtmlToText("a<!-- open"), "a");
    EXPECT_EQ(HtmlToText("a<script>never closed"), "a");
    EXPECT_EQ(HtmlToText("a<b"), "a");
}

TEST(HtmlText, ContentTextDecodesAndDropsCarriageReturns)
{
    EXPECT_EQ(ContentText("caf\xE9\r\nline", false), "caf\xC3\xA9\nline");
    EXPECT_EQ(ContentText("<p>caf\xC3\xA9</p>\r\n", true), "caf\xC3\xA9");
}

TEST(HtmlText, ContentFileNames)
{
    bool html = false;
    EXPECT_TRUE(IsContentFileName("a.TXT", &html));
    EXPECT_FALSE(html);
    EXPECT_TRUE(IsContentFileName("b.Htm", &html));
    EXPECT_TRUE(html);
    EXPECT_TRUE(IsContentFileName("c.html"));
    EXPECT_FALSE(IsContentFileName("book.ini"));
    EXPECT_FALSE(IsContentFileName("d.sgm"));
    EXPECT_FALSE(IsContentFileName(".txt"));
    EXPECT_FALSE(IsContentFileName("txt"));
}
