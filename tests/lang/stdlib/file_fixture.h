#pragma once
// A language state with a working folder of its own inside the test's home, and small helpers
// to make and read the files a test works on.

#include <QDir>
#include <QFile>

#include <string>

#include "lang/lang_fixture.h"
#include "lang/stdlib/file_slots.h"
#include "support/test_home.h"

class FileTest : public LangTest {
 protected:
  void SetUp() override {
    LangTest::SetUp();
    dir = pravella::test::home() + QStringLiteral("/work");
    ASSERT_TRUE(QDir().mkpath(dir));
    current_fullPath = dir.toStdString();
    ByteOrderBigEndian = 0;
  }
  void TearDown() override {
    fileAllClose();
    ByteOrderBigEndian = 0;
  }

  std::string full(const std::string& name) const { return current_fullPath + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const {
    QFile f(QString::fromStdString(full(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
  }

  std::string read(const std::string& name) const {
    QFile f(QString::fromStdString(full(name)));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
  }

  bool exists(const std::string& name) const { return QFile::exists(QString::fromStdString(full(name))); }

  // The files of the working folder, hidden ones included (left-over temporaries show here).
  QStringList entries() const {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }

  // The error lines added to the result text since the last call.
  std::string takeErrors() {
    std::string e = ResultString;
    ResultString.clear();
    return e;
  }

  static std::string err(const std::string& message) { return "...<Error>..." + message + "\n"; }

  QString dir;
};
