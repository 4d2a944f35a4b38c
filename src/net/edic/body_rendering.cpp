#include "net/edic/body_rendering.h"

#include <QColor>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QUrl>

#include "net/edic/body_text.h"
#include "platform/font_aliases.h"

namespace pravella::edic {
namespace {

class Renderer {
 public:
  Renderer(QTextDocument& document, const QString& title, const BodyPictures& pictures)
      : doc_(document), title_(title), pictures_(pictures) {}

  void run(const QString& tagged) {
    doc_.clear();
    QTextCursor(&doc_).insertText(tagged);
    gaiji(QStringLiteral("<GH["), 1);
    gaiji(QStringLiteral("<GF["), 0);
    runs(QStringLiteral("<key_start>"), QStringLiteral("<key_end>"), keyFormat(), true);
    runs(QStringLiteral("<bold_start>"), QStringLiteral("<bold_end>"), boldFormat(), false);
    figures();
    bookPictures();
    links();
    tabs();
    unmarkText();
  }

 private:
  static QTextCharFormat fontFormat(const char* name, double size, const QColor& colour) {
    QTextCharFormat format;
    format.setFontFamilies({fonts::familyFor(QString::fromLatin1(name))});
    format.setFontPointSize(size);
    format.setForeground(colour);
    return format;
  }
  static QTextCharFormat baseFormat() { return fontFormat("HiraMaruPro-W4", kNormalFontSize, Qt::black); }
  static QTextCharFormat keyFormat() {
    return fontFormat("HiraMaruPro-W4", kKeyFontSize, QColor::fromRgbF(0.26f, 0.32f, 0.08f, 1.0f));
  }
  static QTextCharFormat boldFormat() { return fontFormat("HiraKakuStd-W8", kNormalFontSize, Qt::red); }

  QTextCursor find(const QString& text, int from) const {
    return doc_.find(text, from, QTextDocument::FindCaseSensitively);
  }

  // The characters between two document positions, as plain text.
  QString textBetween(int from, int to) const {
    QTextCursor c(&doc_);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    return c.selectedText();
  }

  void putImage(QTextCursor& selection, const QImage& image) {
    const QString name = QStringLiteral("edic-image:%1").arg(++images_);
    doc_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(image.width());
    format.setHeight(image.height());
    selection.insertImage(format);
  }

  void gaiji(const QString& opening, int kind) {
    for (QTextCursor c = find(opening, 0); !c.isNull(); c = find(opening, c.position())) {
      const int start = c.selectionStart();
      const QString tag = textBetween(start, std::min(start + 13, doc_.characterCount() - 1));
      if (tag.size() != 13 || tag[7] != ':' || !tag.endsWith(QStringLiteral("]>"))) continue;
      const int high = tag.mid(4, 3).toInt(), low = tag.mid(8, 3).toInt();
      const QImage glyph =
          pictures_.gaiji ? pictures_.gaiji(static_cast<uint16_t>((high << 8) + low), kind) : QImage();
      if (glyph.isNull()) continue;
      c.setPosition(start);
      c.setPosition(start + 13, QTextCursor::KeepAnchor);
      putImage(c, glyph);
    }
  }

  void runs(const QString& startTag, const QString& endTag, const QTextCharFormat& format, bool applyBase) {
    if (applyBase) {
      QTextCursor all(&doc_);
      all.select(QTextCursor::Document);
      all.mergeCharFormat(baseFormat());
    }
    for (QTextCursor c = find(startTag, 0); !c.isNull(); c = find(startTag, c.position())) {
      c.removeSelectedText();
      const int from = c.position();
      QTextCursor end = find(endTag, from);
      if (end.isNull()) continue;
      const int to = end.selectionStart();
      end.removeSelectedText();
      QTextCursor run(&doc_);
      run.setPosition(from);
      run.setPosition(to, QTextCursor::KeepAnchor);
      run.mergeCharFormat(format);
    }
  }

  // A tag "<open" numbers "]>" whose numbers are split at `separator`: the cursor selects the
  // whole tag; empty numbers when no "]>" follows.
  QStringList tagNumbers(QTextCursor& c, const QString& separator) {
    const int start = c.selectionStart();
    const QTextCursor close = find(QStringLiteral("]>"), c.selectionEnd());
    if (close.isNull()) return {};
    const QStringList numbers = textBetween(c.selectionEnd(), close.selectionStart()).split(separator);
    c.setPosition(start);
    c.setPosition(close.selectionEnd(), QTextCursor::KeepAnchor);
    return numbers;
  }

  void figures() {
    const QString open = QStringLiteral("<Fig-[");
    for (QTextCursor c = find(open, 0); !c.isNull(); c = find(open, c.position())) {
      const QStringList n = tagNumbers(c, QStringLiteral(","));
      if (n.size() < 2 || n[0].toLongLong() <= 0 || !pictures_.figure) continue;
      const QImage figure = pictures_.figure(n[0].toLongLong(), n[1].toLongLong());
      if (!figure.isNull()) putImage(c, figure);
    }
  }

  void bookPictures() {
    const QString open = QStringLiteral("<Pict[");
    for (QTextCursor c = find(open, 0); !c.isNull(); c = find(open, c.position())) {
      const QStringList n = tagNumbers(c, QStringLiteral(":"));
      if (n.size() < 3 || !pictures_.picture) continue;
      const int kind = n[0].toInt();
      if (kind != 9 && !(kind & 0x1000)) continue;
      const QImage picture = pictures_.picture(kind, n[1].toLongLong(), n[2].toLongLong());
      if (!picture.isNull()) putImage(c, picture);
    }
  }

  void links() {
    const QString open = QStringLiteral("<[Link]"), middle = QStringLiteral("[Link:");
    for (QTextCursor c = find(open, 0); !c.isNull(); c = find(open, c.position())) {
      const int start = c.selectionStart();
      QTextCursor target = find(middle, c.selectionEnd());
      QTextCursor close;
      while (!target.isNull() && (close = find(QStringLiteral("]>"), target.selectionEnd())).isNull())
        target = find(middle, target.selectionEnd());
      if (target.isNull()) continue;
      const QStringList n = textBetween(target.selectionEnd(), close.selectionStart()).split(',');
      QTextCursor text(&doc_);
      text.setPosition(c.selectionEnd());
      text.setPosition(target.selectionStart(), QTextCursor::KeepAnchor);
      // The link's text moves with its styles and pictures.
      const QTextDocumentFragment fragment = text.selection();
      const QString visible = unmarked(fragment.toPlainText());
      QTextCursor whole(&doc_);
      whole.setPosition(start);
      whole.setPosition(close.selectionEnd(), QTextCursor::KeepAnchor);
      whole.removeSelectedText();
      whole.insertFragment(fragment);
      const int end = whole.position();
      QTextCharFormat link;
      link.setAnchor(true);
      link.setAnchorHref(title_ + ":" + visible + ":" + QString::number(n.value(0).toLongLong()) + ":" +
                         QString::number(n.value(1).toLongLong()));
      link.setForeground(Qt::blue);
      link.setFontUnderline(true);
      whole.setPosition(start);
      whole.setPosition(end, QTextCursor::KeepAnchor);
      whole.mergeCharFormat(link);
      c = whole;
    }
  }

  // The book's own "<" and "[" (see body_text.h), kept out of the tag search until now.
  static QString unmarked(QString text) {
    return text.replace(QChar(kTextLessThan), u'<').replace(QChar(kTextBracket), u'[');
  }

  void unmarkText() {
    for (const QChar mark : {QChar(kTextLessThan), QChar(kTextBracket)})
      for (QTextCursor c = find(QString(mark), 0); !c.isNull(); c = find(QString(mark), c.position()))
        c.insertText(unmarked(QString(mark)));
  }

  void tabs() {
    const QString open = QStringLiteral("<Tab:");
    for (QTextCursor c = find(open, 0); !c.isNull(); c = find(open, c.selectionStart())) {
      const int start = c.selectionStart();
      const QString tag = textBetween(start, std::min(start + 9, doc_.characterCount() - 1));
      const int level = tag.mid(5, 3).toInt();
      QTextBlockFormat block;
      block.setLeftMargin(level * 10.0);
      block.setTextIndent(0);
      c.mergeBlockFormat(block);
      c.setPosition(start);
      c.setPosition(start + static_cast<int>(tag.size()), QTextCursor::KeepAnchor);
      c.removeSelectedText();
    }
  }

  QTextDocument& doc_;
  const QString& title_;
  const BodyPictures& pictures_;
  int images_ = 0;
};

}  // namespace

void renderBody(QTextDocument& document, const QString& tagged, const QString& title,
                const BodyPictures& pictures) {
  Renderer(document, title, pictures).run(tagged);
}

}  // namespace pravella::edic
