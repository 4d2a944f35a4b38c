#include "editors/link_brackets.h"

#include "diary/document_links.h"

namespace pravella {

int checkDocumentLinkKakko(const QString& text, qsizetype caret) {
  return bracketPairAround(text, caret) ? 1 : 0;
}

}  // namespace pravella
