#pragma once
// The look-ups of the main memo (function manual and memo database) and the search window:
// made once at start-up, after the month list and the desk tools they send their texts to.

#include <memory>

class Calcndar;
class MemoLookups;
class SearchWindowCont;

namespace pravella {

class DeskTools;
class MainWindow;

class SearchTools {
 public:
  SearchTools(MainWindow& window, Calcndar& calendar, DeskTools& deskTools);
  ~SearchTools();

 private:
  std::unique_ptr<MemoLookups> lookups_;
  std::unique_ptr<SearchWindowCont> searchWindow_;
};

}  // namespace pravella
