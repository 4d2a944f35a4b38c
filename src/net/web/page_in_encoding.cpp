#include "net/web/page_in_encoding.h"

#include <QCoreApplication>

#include "platform/text_encoding.h"

namespace pravella::web {

namespace {

// The browser takes a text as a page only as an address of the form
// "data:text/html;charset=UTF-8," followed by the text's UTF-8 bytes escaped, and takes no
// address longer than this.
constexpr qsizetype kLongestPageAddress = 2 * 1024 * 1024;
constexpr char kPageAddressStart[] = "data:text/html;charset=UTF-8,";

}  // namespace

QString tooLargeToRecode() {
  return QCoreApplication::translate("CalWebView", "The page is too large to show in another encoding.");
}

RecodedPage recodedPage(const QByteArray& bytes, const QByteArray& decoderName) {
  if (bytes.size() > kLargestRecodedPage) return {{}, tooLargeToRecode()};
  bool ok = false;
  QString text = encoding::decodeLossy(bytes, decoderName.constData(), &ok);
  if (!ok)
    return {{},
            QCoreApplication::translate("CalWebView", "The encoding %1 is not known.")
                .arg(QString::fromLatin1(decoderName))};
  const qsizetype address =
      qsizetype(sizeof kPageAddressStart - 1) + text.toUtf8().toPercentEncoding().size();
  if (address > kLongestPageAddress) return {{}, tooLargeToRecode()};
  return {std::move(text), {}};
}

}  // namespace pravella::web
