// The pure half of the OpenGL capability records: the version code and the feature table.

#include <gtest/gtest.h>

#include "graphics/gl/gl_caps_table.h"

namespace {

using namespace pravella::gl;

TEST(GLCaps, VersionCodes) {
  EXPECT_EQ(openGLVersionCode("1.5.3 ATI-1.4.18"), 0x153);
  EXPECT_EQ(openGLVersionCode("2.1 NVIDIA-1.0.5"), 0x210);
  EXPECT_EQ(openGLVersionCode("4.5 (Compatibility Profile) Mesa 22.3.6"), 0x450);
  EXPECT_EQ(openGLVersionCode("1.2.3.4"), 0x123);  // later digits add nothing
  EXPECT_EQ(openGLVersionCode(""), 0);
  EXPECT_EQ(openGLVersionCode(nullptr), 0);
}

TEST(GLCaps, QuotedRowsInPlace) {
  const auto& rows = featureRows();
  ASSERT_EQ(rows.size(), 122u);
  EXPECT_EQ(rows.front().line, "\n  Aux depth and stencil (GL_APPLE_aux_depth_stencil)");
  EXPECT_EQ(rows.back().line, "\n  Color Table ( GL_SGI_color_table or GL_ARB_imaging)");
  struct Quoted {
    const char* key;
    const char* line;
  };
  for (const Quoted& q : {
           Quoted{"GL_APPLE_packed_pixels", "\n  Packed Pixels (GL_APPLE_packed_pixels or OpenGL 1.2+)"},
           Quoted{"GL_ARB_texture_env_add",
                  "\n  Texture Env Add (GL_ARB_texture_env_add, GL_EXT_texture_env_add or OpenGL 1.3+)"},
           Quoted{"GL_EXT_blend_color", "\n  Blend Color (GL_EXT_blend_color or GL_ARB_imaging)"},
           Quoted{"GL_ATI_pn_triangles", "\n  PN Triangles (GL_ATI_pn_triangles or GL_ATIX_pn_triangles)"},
       }) {
    const int i = featureIndex(q.key);
    ASSERT_GE(i, 0) << q.key;
    EXPECT_EQ(rows[i].line, q.line);
  }
  EXPECT_EQ(featureIndex("GL_APPLE_aux_depth_stencil"), 0);
  EXPECT_EQ(featureIndex("GL_SGI_color_table"), 121);
  EXPECT_EQ(featureIndex("GL_NO_such"), -1);
}

TEST(GLCaps, FeatureFlags) {
  std::array<bool, kFeatureCount> f{};
  setFeatureFlags("GL_APPLE_packed_pixel GL_ARB_texture_rectangle GL_EXT_transform_feedback "
                  "GL_ARB_imaging_x",
                  0x130, f);
  EXPECT_TRUE(f[featureIndex("GL_APPLE_packed_pixels")]);  // the singular spelling too
  EXPECT_TRUE(f[featureIndex("GL_ARB_texture_cube_map")]);  // 1.3 although the line says 1.4
  EXPECT_FALSE(f[featureIndex("GL_ARB_texture_rectangle")]);   // never tested
  EXPECT_FALSE(f[featureIndex("GL_EXT_transform_feedback")]);  // never tested
  EXPECT_FALSE(f[featureIndex("GL_EXT_blend_color")]);  // a whole word, not a prefix
  EXPECT_FALSE(f[featureIndex("GL_EXT_stencil_two_side")]);
  setFeatureFlags("", 0x140, f);
  EXPECT_TRUE(f[featureIndex("GL_EXT_stencil_two_side")]);  // 1.4 with no version in its line
  EXPECT_FALSE(f[featureIndex("GL_SGIS_generate_mipmap")]);  // no version alternative
  EXPECT_TRUE(f[featureIndex("GL_ARB_window_pos")]);
  EXPECT_FALSE(f[featureIndex("GL_ARB_vertex_buffer_object")]);  // 1.5
  setFeatureFlags("GL_SGIS_generate_mipmap GL_ARB_imaging", 0x100, f);
  EXPECT_TRUE(f[featureIndex("GL_SGIS_generate_mipmap")]);
  EXPECT_TRUE(f[featureIndex("GL_SGI_color_table")]);
}

TEST(GLCaps, LabelText) {
  DisplayCaps caps;
  caps.deviceVRAM = 3 * 1048576 + 5;
  caps.deviceTextureRAM = 1048575;
  caps.maxTextureSize = 8192;
  caps.textureUnits = 8;
  caps.features[0] = true;
  const auto parts = capsLabelText(caps);
  ASSERT_EQ(parts.size(), 5u);
  EXPECT_EQ(parts[0].text, "GL Capabilities:");
  EXPECT_EQ(parts[1].text, "\n  Max VRAM- 3 MB (0 MB free)");
  EXPECT_EQ(parts[2].text,
            "\n  Max Texture Size- 1D/2D: 8192, 3D: 0, Cube: 0, Rect: 0 (8 texture units)");
  EXPECT_EQ(parts[3].style, CapsStyle::Heading);
  EXPECT_EQ(parts[4].text, featureRows()[0].line);
}

TEST(GLCaps, CapsStringsKeep255Characters) {
  char field[256];
  const std::string longText(300, 'x');
  copyCapsString(field, longText.c_str());
  EXPECT_EQ(std::string(field).size(), 255u);
  copyCapsString(field, nullptr);
  EXPECT_EQ(field[0], 0);
}

}  // namespace
