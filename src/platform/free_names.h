#pragma once
// A free name for a new file in a folder the user keeps things in (the Desktop, Downloads):
// where the name is taken, "name-2.ext", "name-3.ext", ... as browsers name downloads, so that
// nothing already there is ever written over.

#include <QString>

#include <functional>

namespace pravella {

// `folder`/`name` when nothing is there (not even a dangling link), else the first free
// "stem-N.ext" (the extension is what follows the last dot; a leading dot is part of the stem).
// `alsoFree`, when given, must hold for a candidate too: for an output that brings a
// companion of its own (a page and its picture folder).
QString freePathIn(const QString& folder, const QString& name,
                   const std::function<bool(const QString& path)>& alsoFree = {});

// Whether nothing at all is at `path`: no file, folder or link, dangling or not.
bool nothingAt(const QString& path);

}  // namespace pravella
