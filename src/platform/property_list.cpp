#include "platform/property_list.h"

#include <QDateTime>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace pravella::plist {
namespace {

// A reader over one plist document; each read function leaves the stream on the end tag of the
// element it read.
class Reader {
 public:
  explicit Reader(const QByteArray& xml) : xml_(xml) {}

  ParseResult run() {
    if (!nextStart()) return fail(QStringLiteral("no <plist> element"));
    if (xml_.name() != QLatin1String("plist")) return fail(QStringLiteral("the root element is not <plist>"));
    if (!nextStart()) return fail(QStringLiteral("the <plist> element is empty"));
    std::optional<QVariant> v = readValue();
    if (!v) return fail(error_);
    // Nothing but the closing </plist> may follow the one value.
    while (!xml_.atEnd()) {
      xml_.readNext();
      if (xml_.isStartElement()) return fail(QStringLiteral("more than one value in <plist>"));
      if (xml_.isCharacters() && !xml_.isWhitespace()) return fail(QStringLiteral("stray text in <plist>"));
    }
    if (xml_.hasError()) return fail(xml_.errorString());
    return ParseResult{std::move(v), {}};
  }

 private:
  ParseResult fail(const QString& why) {
    QString where = QStringLiteral(" (line %1)").arg(xml_.lineNumber());
    return ParseResult{std::nullopt, (xml_.hasError() ? xml_.errorString() : why) + where};
  }

  // Moves to the next start element, skipping white space, comments and the DOCTYPE.
  // Returns false at an end element, at the end of input or on an error.
  bool nextStart() {
    while (!xml_.atEnd()) {
      switch (xml_.readNext()) {
        case QXmlStreamReader::StartElement: return true;
        case QXmlStreamReader::EndElement: return false;
        case QXmlStreamReader::Characters:
          if (!xml_.isWhitespace()) {
            error_ = QStringLiteral("stray text \"%1\"").arg(xml_.text().toString().left(40));
            return false;
          }
          break;
        default: break;
      }
    }
    return false;
  }

  std::optional<QVariant> bad(const QString& why) {
    if (error_.isEmpty()) error_ = xml_.hasError() ? xml_.errorString() : why;
    return std::nullopt;
  }

  std::optional<QString> text() {
    QString t = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (xml_.hasError()) return std::nullopt;
    return t;
  }

  std::optional<QVariant> readValue() {
    const QString tag = xml_.name().toString();
    if (tag == QLatin1String("string") || tag == QLatin1String("key")) {
      auto t = text();
      if (!t) return bad({});
      return QVariant(*t);
    }
    if (tag == QLatin1String("integer")) {
      auto t = text();
      bool ok = false;
      const qlonglong n = t ? t->trimmed().toLongLong(&ok) : 0;
      if (!ok) return bad(QStringLiteral("<integer> does not hold a whole number"));
      return QVariant(n);
    }
    if (tag == QLatin1String("real")) {
      auto t = text();
      bool ok = false;
      const double d = t ? t->trimmed().toDouble(&ok) : 0;
      if (!ok) return bad(QStringLiteral("<real> does not hold a number"));
      return QVariant(d);
    }
    if (tag == QLatin1String("true") || tag == QLatin1String("false")) {
      auto t = text();
      if (!t || !t->trimmed().isEmpty()) return bad(QStringLiteral("<%1/> must be empty").arg(tag));
      return QVariant(tag == QLatin1String("true"));
    }
    if (tag == QLatin1String("data")) {
      auto t = text();
      if (!t) return bad({});
      auto decoded = QByteArray::fromBase64Encoding(t->simplified().remove(QLatin1Char(' ')).toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
      if (!decoded) return bad(QStringLiteral("<data> is not base64"));
      return QVariant(*decoded);
    }
    if (tag == QLatin1String("date")) {
      auto t = text();
      QDateTime d = t ? QDateTime::fromString(t->trimmed(), Qt::ISODate) : QDateTime();
      if (!d.isValid()) return bad(QStringLiteral("<date> is not an ISO 8601 date"));
      return QVariant(d);
    }
    if (tag == QLatin1String("array")) {
      QVariantList list;
      while (nextStart()) {
        auto v = readValue();
        if (!v) return std::nullopt;
        list.append(*v);
      }
      if (!error_.isEmpty() || xml_.hasError()) return bad({});
      return QVariant(list);
    }
    if (tag == QLatin1String("dict")) {
      QVariantMap map;
      while (nextStart()) {
        if (xml_.name() != QLatin1String("key")) return bad(QStringLiteral("a <dict> entry lacks its <key>"));
        auto key = text();
        if (!key) return bad({});
        if (!nextStart()) return bad(QStringLiteral("the <key> \"%1\" has no value").arg(*key));
        auto v = readValue();
        if (!v) return std::nullopt;
        map.insert(*key, *v);
      }
      if (!error_.isEmpty() || xml_.hasError()) return bad({});
      return QVariant(map);
    }
    return bad(QStringLiteral("unknown element <%1>").arg(tag));
  }

  QXmlStreamReader xml_;
  QString error_;
};

void writeValue(QXmlStreamWriter& w, const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      w.writeStartElement(QStringLiteral("array"));
      for (const QVariant& item : v.toList()) writeValue(w, item);
      w.writeEndElement();
      break;
    }
    case QMetaType::QVariantMap: {
      w.writeStartElement(QStringLiteral("dict"));
      const QVariantMap map = v.toMap();
      for (auto it = map.begin(); it != map.end(); ++it) {
        w.writeTextElement(QStringLiteral("key"), it.key());
        writeValue(w, it.value());
      }
      w.writeEndElement();
      break;
    }
    case QMetaType::Bool: w.writeEmptyElement(v.toBool() ? QStringLiteral("true") : QStringLiteral("false")); break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: w.writeTextElement(QStringLiteral("integer"), QString::number(v.toLongLong())); break;
    case QMetaType::Double:
    case QMetaType::Float: w.writeTextElement(QStringLiteral("real"), QString::number(v.toDouble(), 'g', 17)); break;
    case QMetaType::QByteArray: w.writeTextElement(QStringLiteral("data"), QString::fromLatin1(v.toByteArray().toBase64())); break;
    case QMetaType::QDateTime:
      w.writeTextElement(QStringLiteral("date"), v.toDateTime().toUTC().toString(Qt::ISODate));
      break;
    default: w.writeTextElement(QStringLiteral("string"), v.toString()); break;
  }
}

}  // namespace

ParseResult parse(const QByteArray& xml) { return Reader(xml).run(); }

QByteArray serialize(const QVariant& value) {
  QByteArray out;
  QXmlStreamWriter w(&out);
  w.setAutoFormatting(true);
  w.setAutoFormattingIndent(-1);  // one tab, as property lists are usually indented
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("plist"));
  w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
  writeValue(w, value);
  w.writeEndElement();
  w.writeEndDocument();
  return out;
}

std::optional<QVariant> readFile(const QString& path, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("Cannot read \"%1\": %2").arg(path, f.errorString());
    return std::nullopt;
  }
  ParseResult r = parse(f.readAll());
  if (!r.value && error) *error = QStringLiteral("\"%1\" is not a valid property list: %2").arg(path, r.error);
  return r.value;
}

WriteResult writeFile(const QString& path, const QVariant& value) {
  return writeFileAtomically(path, serialize(value));
}

std::optional<QStringList> readStringArray(const QString& path, QString* error) {
  std::optional<QVariant> v = readFile(path, error);
  if (!v) return std::nullopt;
  if (v->typeId() != QMetaType::QVariantList) {
    if (error) *error = QStringLiteral("\"%1\" does not hold an array.").arg(path);
    return std::nullopt;
  }
  QStringList strings;
  for (const QVariant& item : v->toList()) {
    if (item.typeId() != QMetaType::QString) {
      if (error) *error = QStringLiteral("\"%1\" holds something other than strings.").arg(path);
      return std::nullopt;
    }
    strings.append(item.toString());
  }
  return strings;
}

WriteResult writeStringArray(const QString& path, const QStringList& strings) {
  return writeFile(path, QVariant(strings));
}

}  // namespace pravella::plist
