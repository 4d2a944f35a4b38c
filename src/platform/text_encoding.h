#pragma once
// Byte encodings of text, through glibc iconv. Japanese text of old diaries and data files
// comes as Shift-JIS (the Windows variant, CP932, whose 0x5C is a backslash and not a yen
// sign, so ASCII survives a round trip), EUC-JP or ISO-2022-JP; RTF files add the Windows
// and Macintosh code pages of their fonts.

#include <QByteArray>
#include <QString>

namespace pravella::encoding {

// iconv names of the encodings the application uses.
inline constexpr const char* kShiftJIS = "CP932";
inline constexpr const char* kEucJP = "EUC-JP";
inline constexpr const char* kIso2022JP = "ISO-2022-JP";
inline constexpr const char* kUtf8 = "UTF-8";

// The iconv name of a Windows or Macintosh code page number as RTF names them
// (932, 1252, 10000, 65001 ...); nullptr for one we do not know.
const char* codePageName(int codePage);

// Decodes bytes. Strict: any byte sequence that does not decode (or an unknown encoding)
// makes *ok false and gives an empty text. Lossy: such bytes become U+FFFD and *ok stays true
// as long as the encoding is known.
QString decode(const QByteArray& bytes, const char* encoding, bool* ok = nullptr);
QString decodeLossy(const QByteArray& bytes, const char* encoding, bool* ok = nullptr);

// Encodes text. Lossy: a character the encoding cannot hold becomes "?" (every one is
// counted in *replaced when given), so nothing is dropped silently. Strict: such a character
// makes *ok false and gives empty bytes.
QByteArray encodeLossy(const QString& text, const char* encoding, int* replaced = nullptr,
                       bool* ok = nullptr);
QByteArray encode(const QString& text, const char* encoding, bool* ok = nullptr);

}  // namespace pravella::encoding
