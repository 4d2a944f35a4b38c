#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <string>

#include "editors/web_launch.h"
#include "support/recording_opener.h"
#include "support/test_home.h"

namespace {

using pravella::checkURLforwebLaunchURL;

const std::string kMap = std::string(pravella::kPostalCodeMapHost) + "/search?query=";
const std::string kSearch = std::string(pravella::kWebSearchHost) + "/search?q=";

struct Case {
  const char* what;
  std::string text;
  int result;
  std::string address;
};

TEST(WebLaunch, TextBecomesAddress) {
  const std::string url255 = "http://example.com/" + std::string(255 - 19, 'a');
  const Case cases[] = {
      {"seven digits", "1234567", 1, kMap + "1234567"},
      {"three, hyphen, four", "123-4567", 1, kMap + "123-4567"},
      {"four, hyphen, three", "1234-567", 1, kSearch + "1234-567"},
      {"three, hyphen, three", "123-456", 1, kSearch + "123-456"},
      {"eight digits", "12345678", 1, kSearch + "12345678"},
      {"six digits", "123456", 1, kSearch + "123456"},
      {"full-width digits are not digits", "\xEF\xBC\x91" "234567", 1,
       kSearch + "%EF%BC%91234567"},
      {"address alone", "https://example.com/a?b=c&d", 1, "https://example.com/a?b=c&d"},
      {"address among words", "see http://example.com now", 1, "see http://example.com now"},
      {"ftp and file", "ftp://h/x file:///tmp/a b", 1, "ftp://h/x file:///tmp/a b"},
      {"scheme is case-sensitive", "HTTP://x", 1, kSearch + "HTTP%3A%2F%2Fx"},
      {"words are encoded", "a b&c=d#e%f?", 1, kSearch + "a%20b%26c%3Dd%23e%25f%3F"},
      {"unreserved kept", "Az09-._~", 1, kSearch + "Az09-._~"},
      {"UTF-8 bytes encoded", "\xE3\x81\x82", 1, kSearch + "%E3%81%82"},
      {"255 bytes opened", url255, 1, url255},
      {"256 bytes refused", url255 + "a", 0, ""},
      {"255 bytes of words", std::string(255, 'x'), 1, kSearch + std::string(255, 'x')},
      // 85 three-byte characters are 255 raw bytes: the limit looks at the text, not at the query.
      {"255 raw bytes encode longer", [] {
         std::string s;
         for (int i = 0; i < 85; ++i) s += "\xE3\x81\x82";
         return s;
       }(), 1, [] {
         std::string s = kSearch;
         for (int i = 0; i < 85; ++i) s += "%E3%81%82";
         return s;
       }()},
      {"empty", "", 0, ""},
      {"leading hyphen", "-x http://example.com", 0, ""},
      {"leading hyphen word", "--help", 0, ""},
  };
  for (const Case& c : cases) {
    std::string address = "left over";
    EXPECT_EQ(checkURLforwebLaunchURL(c.text, address), c.result) << c.what;
    EXPECT_EQ(address, c.address) << c.what;
  }
}

// A recording xdg-open first on PATH for each test.
class WebLaunchOpener : public testing::Test {
 protected:
  QString recorded() const { return opener_.recorded(); }
  pravella::test::RecordingOpener opener_;
};

TEST_F(WebLaunchOpener, OpensTheAddressAsItsOneArgument) {
  pravella::webLaunchURL("see http://example.com/?a=1 ; rm -rf x");
  pravella::webLaunchURL("123-4567");
  pravella::webLaunchURL("\xE3\x81\x82 b");
  EXPECT_EQ(recorded(), QString::fromStdString("1\nsee http://example.com/?a=1 ; rm -rf x\n1\n" + kMap +
                                               "123-4567\n1\n" + kSearch + "%E3%81%82%20b\n"));
}

TEST_F(WebLaunchOpener, RefusedTextsOpenNothing) {
  pravella::webLaunchURL("");
  pravella::webLaunchURL("-h http://example.com");
  pravella::webLaunchURL(std::string(256, 'x'));
  EXPECT_EQ(recorded(), QString());
}

}  // namespace
