// The RTF reader's document: the parser's runs, paragraphs, tables and attachments become a
// QTextDocument with their formats.

#include <QImage>
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLength>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <map>

#include "platform/font_aliases.h"
#include "platform/rtf.h"
#include "platform/rtf_parser.h"

namespace pravella::rtf {
namespace {

using detail::Group;
using detail::ParaState;

class DocumentSink : public detail::Sink {
 public:
  DocumentSink(QTextDocument& doc, const detail::Tables& tables)
      : doc_(doc), cursor_(&doc), tables_(tables) {}

  bool wantsFormats() const override { return true; }

  void begin() override {
    fonts::installFontAliases();
    undo_ = doc_.isUndoRedoEnabled();
    doc_.setUndoRedoEnabled(false);
    doc_.clear();
    // A document without \deftab has the default tab stops, whatever the last one had.
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(QTextOption().tabStopDistance());
    doc_.setDefaultTextOption(option);
    cursor_ = QTextCursor(&doc_);
  }

  void text(const QString& run, const Group& g) override { cursor_.insertText(run, charFormat(g)); }

  void paragraphEnd(const ParaState& pa, const QString& listMarker, const Group& g) override {
    cursor_.setBlockFormat(blockFormat(pa, listMarker));
    applyList(pa, listMarker);
    cursor_.insertBlock(QTextBlockFormat(), charFormat(g));
  }

  void cellEnd(const ParaState& pa, const QString& listMarker) override {
    cursor_.setBlockFormat(blockFormat(pa, listMarker));
  }

  void startTable(int columns, const std::vector<int>& cellx) override {
    // The paragraph before the table ended with \par, which began an empty one; Qt puts a
    // table behind a paragraph of its own, so the empty one is taken back.
    if (cursor_.block().length() == 1 && cursor_.position() > 0) {
      QTextCursor before(cursor_);
      before.movePosition(QTextCursor::PreviousBlock);
      if (!before.currentTable() && !before.currentList()) cursor_.deletePreviousChar();
    }
    QTextTableFormat format;
    format.setBorder(1);
    format.setCellSpacing(0);
    format.setCellPadding(2);
    format.setColumnWidthConstraints(cellWidths(cellx));
    table_ = cursor_.insertTable(1, columns, format);
    moveToCell(0, 0);
  }

  void appendRow() override { table_->appendRows(1); }
  void appendColumn() override { table_->appendColumns(1); }
  void moveToCell(int row, int column) override {
    cursor_ = table_->cellAt(row, column).firstCursorPosition();
  }

  void tabIntoCell(int row, int column) override {
    cursor_ = table_->cellAt(row, column).lastCursorPosition();
    cursor_.insertText(QStringLiteral("\t"));
  }

  void endTable() override {
    cursor_ = table_->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = nullptr;
  }

  void rowEnd(const std::vector<int>& cellx) override {
    // Row properties may come at the end of the row: the widths are taken when they are known.
    if (table_->format().columnWidthConstraints().isEmpty() && !cellx.empty()) {
      QTextTableFormat format = table_->format();
      format.setColumnWidthConstraints(cellWidths(cellx));
      table_->setFormat(format);
    }
  }

  void attachment(const Attachment& a, QSizeF size, const Group& g) override {
    cursor_.setCharFormat(charFormat(g));
    insertAttachment(cursor_, a.fileName, a.data, size, a.sourceFolder);
  }

  void defaultTabStop(int twips) override {
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(twips / 20.0);
    doc_.setDefaultTextOption(option);
  }

  void finish(const ParaState& lastPara, const QString& listMarker, const Group* lastChars) override {
    cursor_.setBlockFormat(blockFormat(lastPara, listMarker));
    if (!cursor_.block().text().isEmpty()) applyList(lastPara, listMarker);
    // A document without text (a template) still gives what is typed into it its font.
    if (doc_.isEmpty()) {
      const QTextCharFormat chars = lastChars ? charFormat(*lastChars) : QTextCharFormat();
      cursor_.setBlockCharFormat(chars);
      cursor_.setCharFormat(chars);
    }
    doc_.setUndoRedoEnabled(undo_);
  }

 private:
  QTextCharFormat charFormat(const Group& g) const {
    QTextCharFormat f;
    const detail::CharState& ch = g.ch;
    int font = ch.font;
    if (font < 0) font = tables_.fontIndexOf(tables_.defaultFont);
    const auto& fonts = tables_.fonts;
    if (font >= 0 && font < static_cast<int>(fonts.size()) &&
        !fonts[static_cast<size_t>(font)].name.isEmpty())
      f.setFontFamilies(QStringList{fonts[static_cast<size_t>(font)].name});
    f.setFontPointSize(ch.halfPoints / 2.0);
    if (ch.bold) f.setFontWeight(QFont::Bold);
    if (ch.italic) f.setFontItalic(true);
    if (ch.underline) f.setFontUnderline(true);
    if (ch.strike) f.setFontStrikeOut(true);
    const auto& colors = tables_.colors;
    if (ch.fg > 0 && ch.fg < static_cast<int>(colors.size()) && colors[static_cast<size_t>(ch.fg)].isValid())
      f.setForeground(colors[static_cast<size_t>(ch.fg)]);
    if (ch.bg > 0 && ch.bg < static_cast<int>(colors.size()) && colors[static_cast<size_t>(ch.bg)].isValid())
      f.setBackground(colors[static_cast<size_t>(ch.bg)]);
    if (ch.vertical > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (ch.vertical < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (!g.href.isEmpty()) {
      f.setAnchor(true);
      f.setAnchorHref(g.href);
    }
    return f;
  }

  static QTextBlockFormat blockFormat(const ParaState& pa, const QString& listMarker) {
    QTextBlockFormat f;
    switch (pa.align) {
      case 1:
        f.setAlignment(Qt::AlignLeft);
        break;
      case 2:
        f.setAlignment(Qt::AlignHCenter);
        break;
      case 3:
        f.setAlignment(Qt::AlignRight);
        break;
      case 4:
        f.setAlignment(Qt::AlignJustify);
        break;
      default:
        break;
    }
    // Distances: twips to points, which the document takes as its units. A list item's
    // indents are the list's own, which the list draws.
    const bool listItem = detail::isListItem(pa, listMarker);
    if (pa.left && !listItem) f.setLeftMargin(pa.left / 20.0);
    if (pa.first && !listItem) f.setTextIndent(pa.first / 20.0);
    if (pa.right) f.setRightMargin(pa.right / 20.0);
    if (pa.before) f.setTopMargin(pa.before / 20.0);
    if (pa.after) f.setBottomMargin(pa.after / 20.0);
    if (pa.lineSpacing > 0 && pa.lineMultiple)
      f.setLineHeight(pa.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (pa.lineSpacing > 0)
      f.setLineHeight(pa.lineSpacing / 20.0, QTextBlockFormat::MinimumHeight);
    else if (pa.lineSpacing < 0)
      f.setLineHeight(-pa.lineSpacing / 20.0, QTextBlockFormat::FixedHeight);
    if (!pa.tabs.isEmpty()) f.setTabPositions(pa.tabs);
    return f;
  }

  // The style a list item's marker shows: "1." numbers, "a)" letters, "iv." Roman figures,
  // anything else a bullet of the nearest shape.
  static QTextListFormat::Style styleOfMarker(QString m) {
    m = m.trimmed();
    while (!m.isEmpty() && (m.endsWith(u'.') || m.endsWith(u')'))) m.chop(1);
    if (m.startsWith(u'(')) m.remove(0, 1);
    if (m.isEmpty()) return QTextListFormat::ListDisc;
    const auto all = [&](auto pred) { return std::all_of(m.begin(), m.end(), pred); };
    if (all([](QChar c) { return c.isDigit(); })) return QTextListFormat::ListDecimal;
    const QString romanLower = QStringLiteral("ivxlcdm");
    if (all([&](QChar c) { return romanLower.contains(c); }) && (m.size() > 1 || m == u"i"))
      return QTextListFormat::ListLowerRoman;
    if (all([&](QChar c) { return romanLower.toUpper().contains(c); }) && (m.size() > 1 || m == u"I"))
      return QTextListFormat::ListUpperRoman;
    if (m.size() <= 2 && all([](QChar c) { return c >= u'a' && c <= u'z'; }))
      return QTextListFormat::ListLowerAlpha;
    if (m.size() <= 2 && all([](QChar c) { return c >= u'A' && c <= u'Z'; }))
      return QTextListFormat::ListUpperAlpha;
    const QChar c = m.front();
    if (c == QChar(0x25E6) || c == u'o' || c == QChar(0x25CB)) return QTextListFormat::ListCircle;
    if (c == QChar(0x25AA) || c == QChar(0x25A0) || c == u'\u00A7') return QTextListFormat::ListSquare;
    return QTextListFormat::ListDisc;
  }

  // Makes the paragraph that just ended (the cursor's block) an item of its list: items of
  // one \ls and level share a list, items marked by their text alone share one until a
  // paragraph that is no item.
  void applyList(const ParaState& pa, const QString& marker) {
    if (!detail::isListItem(pa, marker)) {
      std::erase_if(lists_, [](const auto& entry) { return entry.first.first < 0; });
      return;
    }
    const std::pair<int, int> key{pa.listId != 0 ? pa.listId : -1, pa.listLevel};
    QPointer<QTextList>& list = lists_[key];
    if (list) {
      list->add(cursor_.block());
      return;
    }
    QTextListFormat format;
    format.setStyle(styleOfMarker(marker));
    format.setIndent(pa.listLevel + 1);
    list = cursor_.createList(format);
  }

  static QList<QTextLength> cellWidths(const std::vector<int>& cellx) {
    QList<QTextLength> widths;
    int left = 0;
    for (const int right : cellx) {
      widths.append(QTextLength(QTextLength::FixedLength, std::max(right - left, 20) / 20.0));
      left = right;
    }
    return widths;
  }

  QTextDocument& doc_;
  QTextCursor cursor_;
  const detail::Tables& tables_;
  bool undo_ = true;
  std::map<std::pair<int, int>, QPointer<QTextList>> lists_;
  QTextTable* table_ = nullptr;
};

}  // namespace

ReadResult read(const QByteArray& rtf, QTextDocument& doc, const AttachmentLoader& loader) {
  detail::Parser parser(rtf, loader);
  DocumentSink sink(doc, parser.tables());
  return parser.run(sink);
}

}  // namespace pravella::rtf
