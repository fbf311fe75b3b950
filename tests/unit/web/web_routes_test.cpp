// The route table and the plain values around it: what a path may name,
// and the texts that cross between the page (UTF-8) and the files
// (Windows-1252).
#include <gtest/gtest.h>

#include "web/web_routes.h"

namespace {

WebRequest Request(const std::string& method, const std::string& target) {
    WebRequest request;
    request.method = method;
    const std::size_t mark = target.find('?');
    request.path = target.substr(0, mark);
    if (mark != std::string::npos) request.query = target.substr(mark + 1);
    return request;
}

TEST(WebRoutes, MatchesByPathThenMethodAndRefusesWhatIsNotOneName) {
    WebRoutes routes;
    routes.Add("GET", "/api/i/{instance}/pages", [](const WebRequest&, const RouteParams& params) {
        return JsonResponse({{"instance", params.at("instance")}});
    });
    routes.Add("POST", "/api/fail", [](const WebRequest&, const RouteParams&) -> WebResponse {
        throw std::runtime_error("inside detail");
    });
    const struct {
        const char* method;
        const char* target;
        int status;
        const char* body;
    } cases[] = {
        {"GET", "/api/i/alpha/pages", 200, R"({"instance":"alpha"})"},
        {"GET", "/api/i/a%2Db/pages?x=1", 200, R"({"instance":"a-b"})"},
        {"POST", "/api/i/alpha/pages", 405, nullptr},
        {"GET", "/api/i/../pages", 404, nullptr},
        {"GET", "/api/i/%2e%2e/pages", 404, nullptr},
        {"GET", "/api/i/./pages", 404, nullptr},
        {"GET", "/api/i/a%2fb/pages", 404, nullptr},
        {"GET", "/api/i/a%5cb/pages", 404, nullptr},
        {"GET", "/api/i/c:/pages", 404, nullptr},
        {"GET", "/api/i/a%00/pages", 404, nullptr},
        {"GET", "/api/i/%zz/pages", 404, nullptr},
        {"GET", "/api/i//pages", 404, nullptr},
        {"GET", "/api/i/alpha/pages/", 404, nullptr},
        {"GET", "/etc/passwd", 404, nullptr},
        {"POST", "/api/fail", 500, R"({"error":"the request could not be answered"})"},
    };
    for (const auto& c : cases) {
        const WebResponse response = routes.Dispatch(Request(c.method, c.target));
        EXPECT_EQ(response.status, c.status) << c.method << ' ' << c.target;
        if (c.body != nullptr) {
            EXPECT_EQ(response.body, c.body) << c.target;
        }
    }
}

TEST(WebText, QueryValuesAndCodePageRoundTrip) {
    const WebRequest request = Request("GET", "/x?a=1&name=Caf%C3%A9+bar&empty=&bad=%4&a=2");
    EXPECT_EQ(request.Query("a"), "1");
    EXPECT_EQ(request.Query("name"), "Caf\xC3\xA9 bar");
    EXPECT_EQ(request.Query("empty", "fallback"), "");
    EXPECT_EQ(request.Query("bad", "fallback"), "fallback");
    EXPECT_EQ(request.Query("missing", "fallback"), "fallback");

    // Every byte but NUL survives the trip out to the page and back.
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\x9F\xE9"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9");
    for (const char* refused : {"\xE2\x82", "\xC3", "\xF0\x9F\x98\x80", "\xC0\xAF", "\xE2\x88\x9E", "\xFF"}) {
        EXPECT_FALSE(Utf8ToCp1252(refused, back)) << refused;
    }
    nlohmann::json value;
    std::string why;
    EXPECT_FALSE(ParseJsonObject("[1]", value, why));
    EXPECT_FALSE(ParseJsonObject("{", value, why));
    EXPECT_TRUE(ParseJsonObject(R"({"a":1})", value, why));
}

}  // namespace
