#pragma once
// What the OpenGL plot views can tell about the graphics under them: one record per screen
// with its geometry and mode, the renderer's strings and limits, and 122 feature flags, each
// with the line the capability list shows when it is set. Everything here is pure; filling
// the records from live contexts is in graphics/ui/gl.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace pravella::gl {

inline constexpr int kFeatureCount = 122;

struct DisplayCaps {
  std::uint32_t displayID = 0;
  std::uint32_t glDisplayMask = 0;
  std::int32_t width = 0, height = 0;
  std::int32_t originX = 0, originY = 0;
  std::int16_t depth = 0;
  std::int16_t refreshRate = 0;
  std::int32_t deviceVRAM = 0;
  std::int32_t deviceTextureRAM = 0;
  std::uint32_t rendererID = 0;
  char strRendererName[256] = {};
  char strRendererVendor[256] = {};
  char strRendererVersion[256] = {};
  bool fullScreenCapable = false;
  std::int32_t textureUnits = 0;
  std::int32_t maxTextureSize = 0;
  std::int32_t max3DTextureSize = 0;
  std::int32_t maxCubeMapTextureSize = 0;
  std::int32_t maxRectTextureSize = 0;
  std::uint16_t glVersion = 0;
  std::array<bool, kFeatureCount> features{};
};

// One hexadecimal digit per version digit, from the start of the version string while it
// holds digits and points: "2.1 Mesa 1.0.5" gives 0x210, "1.5.3 ATI" gives 0x153.
std::uint16_t openGLVersionCode(const char* version);

struct FeatureRow {
  const char* key;          // the first extension the line names
  QString line;             // "\n  Title (extensions or OpenGL x.y+)"
  std::vector<QByteArray> extensions;  // any of these sets the flag
  std::uint16_t coreVersion;           // from this version on the flag is set; 0: never
  bool tested;                         // false: the flag always stays false
};
const std::vector<FeatureRow>& featureRows();
int featureIndex(const char* key);  // -1 for a key that is not in the table

// True when `extensions` (the space-separated extension string of a context) holds `name` as
// a whole word.
bool hasExtensionWord(const QByteArray& extensions, const QByteArray& name);

// Sets every feature flag from a context's extension string and version code.
void setFeatureFlags(const QByteArray& extensions, std::uint16_t version,
                     std::array<bool, kFeatureCount>& flags);

// Copies at most 255 characters into a 256-byte field, zero-terminated.
void copyCapsString(char field[256], const char* text);

// The label text of one record, in three styles.
enum class CapsStyle { Title, Heading, Body };
struct CapsTextPart {
  CapsStyle style;
  QString text;
};
std::vector<CapsTextPart> capsLabelText(const DisplayCaps& caps);

// The display part of a record: what a change of the screens is seen by.
bool sameDisplay(const DisplayCaps& a, const DisplayCaps& b);

}  // namespace pravella::gl
