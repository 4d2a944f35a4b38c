// Opening our shared modules: every failure is a null entry with a reason, never a crash.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include "platform/loadable_module.h"

namespace {

using pravella::loadableModuleEntry;

TEST(LoadableModule, AMissingModuleSaysWhereItWasLookedFor) {
  QString why;
  EXPECT_EQ(loadableModuleEntry("libpravella_absent.so", "entry", &why), nullptr);
  EXPECT_TRUE(why.startsWith("libpravella_absent.so is in none of ")) << why.toStdString();
  // The answer is kept: a second call gives the same.
  QString again;
  EXPECT_EQ(loadableModuleEntry("libpravella_absent.so", "entry", &again), nullptr);
  EXPECT_EQ(again, why);
}

TEST(LoadableModule, AFileThatIsNoSharedObjectIsRefusedWithTheLoadersReason) {
  QTemporaryDir dir;
  QFile junk(dir.filePath("libpravella_junk.so"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("not an ELF file");
  junk.close();
  ::setenv("PRAVELLA_MODULE_DIR", dir.path().toLocal8Bit().constData(), 1);
  QString why;
  EXPECT_EQ(loadableModuleEntry("libpravella_junk.so", "entry", &why), nullptr);
  ::unsetenv("PRAVELLA_MODULE_DIR");
  EXPECT_TRUE(why.contains("libpravella_junk.so")) << why.toStdString();
}

TEST(LoadableModule, AModuleWithoutTheEntryIsRefused) {
  QString why;
  EXPECT_EQ(loadableModuleEntry("libpravella_media.so", "no_such_entry", &why), nullptr);
  EXPECT_TRUE(why.endsWith("libpravella_media.so has no no_such_entry")) << why.toStdString();
}

}  // namespace
