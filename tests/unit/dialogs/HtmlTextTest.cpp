// The HTML viewer's stand-in text: what a reader of the page would see.
#include "HtmlText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

TEST(HtmlText, PagesBecomeTheirReadableText)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<html><head><title>Demo</title><style>p { color: red }</style></head>"
         "<body><h1>Welcome</h1><p>Read   this\n  first.</p><p>Then&nbsp;that &amp; more"
         "</p></body></html>",
         "Demo\r\nWelcome\r\n\r\nRead this first.\r\n\r\nThen that & more"},
        {"one<br>two<BR/>three", "one\r\ntwo\r\nthree"},
        {"<ul><li>a</li><li>b</li></ul>", "a\r\nb"},
        {"x<script>document.write('<p>no</p>')</script>y<!-- <b>hidden</b> -->z", "xyz"},
        {"&lt;tag&gt; &#65;&#x42; &bogus; & alone", "<tag> AB &bogus; & alone"},
        {"unclosed <b", "unclosed"},
        {"<script>never ends", ""},
        {"", ""},
    };
    for (const auto& [page, text] : cases)
        EXPECT_EQ(HtmlToText(page), text) << page;
}

} // namespace
} // namespace ovd
