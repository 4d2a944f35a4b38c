#include "graphics/gl/gl_caps_table.h"

#include <cctype>
#include <cstring>

#include <QStringList>

namespace pravella::gl {

namespace {

// The table as written: the extensions the line names (the first is the key), the title, the
// OpenGL version the line names ("" for none), the version that really sets the flag when it
// differs from the line (-1: as the line says, 0: none), and whether the parenthesis is
// followed by a space.
struct RawRow {
  const char* extensions;
  const char* title;
  const char* lineVersion;
  int testVersion;
  bool spaced;
};

constexpr RawRow kRows[kFeatureCount] = {
    {"GL_APPLE_aux_depth_stencil", "Aux depth and stencil", "", -1, false},
    {"GL_APPLE_client_storage", "Client Storage", "", -1, false},
    {"GL_APPLE_element_array", "Element Array", "", -1, false},
    {"GL_APPLE_fence", "Fence", "", -1, false},
    {"GL_APPLE_float_pixels", "Floating Point Pixels", "", -1, false},
    {"GL_APPLE_flush_buffer_range", "Flush Buffer Range", "", -1, false},
    {"GL_APPLE_flush_render", "Flush Render", "", -1, false},
    {"GL_APPLE_object_purgeable", "Object Purgeable", "", -1, false},
    {"GL_APPLE_packed_pixels", "Packed Pixels", "1.2", -1, false},
    {"GL_APPLE_pixel_buffer", "Pixel Buffer", "", -1, false},
    {"GL_APPLE_specular_vector", "Specular Vector", "", -1, false},
    {"GL_APPLE_texture_range", "Texture Range (AGP Texturing)", "", -1, false},
    {"GL_APPLE_transform_hint", "Transform Hint", "", -1, false},
    {"GL_APPLE_vertex_array_object", "Vertex Array Object", "", -1, false},
    {"GL_APPLE_vertex_array_range", "Vertex Array Range", "", -1, false},
    {"GL_APPLE_vertex_program_evaluators", "Vertex Program Evaluators", "", -1, false},
    {"GL_APPLE_ycbcr_422", "YCbCr Textures", "", -1, false},
    {"GL_ARB_depth_texture", "Depth Texture", "1.4", -1, false},
    {"GL_ARB_draw_buffers", "Multiple Render Targets", "2.0", -1, false},
    {"GL_ARB_fragment_program", "Fragment Program", "", -1, false},
    {"GL_ARB_fragment_program_shadow", "Fragment Program Shadows", "", -1, false},
    {"GL_ARB_fragment_shader", "Fragment Shaders", "2.0", -1, false},
    {"GL_ARB_half_float_pixel", "Half Float Pixels", "", -1, false},
    {"GL_ARB_imaging", "Imaging Subset", "", -1, false},
    {"GL_ARB_multisample", "Multisample (FSAA)", "1.3", -1, false},
    {"GL_ARB_multitexture", "Multitexture", "1.3", -1, false},
    {"GL_ARB_occlusion_query", "Occlusion Queries", "1.5", -1, false},
    {"GL_ARB_pixel_buffer_object", "Pixel Buffer Objects", "2.1", -1, false},
    {"GL_ARB_point_parameters", "Point Parameters", "1.4", -1, false},
    {"GL_ARB_point_sprite", "Point Sprites", "2.0", -1, false},
    {"GL_ARB_shader_objects", "Shader Objects", "2.0", -1, false},
    {"GL_ARB_shader_texture_lod", "Shader Texture LODs", "", -1, false},
    {"GL_ARB_shading_language_100", "Shading Language 1.0", "2.0", -1, false},
    {"GL_ARB_shadow", "Shadow Support", "1.4", -1, false},
    {"GL_ARB_shadow_ambient", "Shadow Ambient", "", -1, false},
    {"GL_ARB_texture_border_clamp", "Texture Border Clamp", "1.3", -1, false},
    {"GL_ARB_texture_compression", "Texture Compression", "1.3", -1, false},
    {"GL_ARB_texture_cube_map", "Cube Map Textures", "1.4", 0x130, false},
    {"GL_ARB_texture_env_add GL_EXT_texture_env_add", "Texture Env Add", "1.3", -1, false},
    {"GL_ARB_texture_env_combine", "Texture Env Combine", "1.3", -1, false},
    {"GL_ARB_texture_env_crossbar", "Texture Env Crossbar", "1.4", -1, false},
    {"GL_ARB_texture_env_dot3", "Texture Env Dot3", "1.3", -1, false},
    {"GL_ARB_texture_float", "Floating Point Textures", "", -1, false},
    {"GL_ARB_texture_mirrored_repeat", "Texture Mirrored Repeat", "1.4", -1, false},
    {"GL_ARB_texture_non_power_of_two", "Non Power of Two Textures", "2.0", -1, false},
    {"GL_ARB_texture_rectangle", "Texture Rectangle", "", -1, false},
    {"GL_ARB_transpose_matrix", "Transpose Matrix", "1.3", -1, false},
    {"GL_ARB_vertex_blend", "Vertex Blend", "", -1, false},
    {"GL_ARB_vertex_buffer_object", "Vertex Buffer Objects", "1.5", -1, false},
    {"GL_ARB_vertex_program", "Vertex Program", "", -1, false},
    {"GL_ARB_vertex_shader", "Vertex Shaders", "2.0", -1, false},
    {"GL_ARB_window_pos", "Window Position", "1.4", -1, false},
    {"GL_ATI_array_rev_comps_in_4_bytes", "Reverse 4 Byte Components", "", -1, false},
    {"GL_ATI_blend_equation_separate", "Separate Blend Equations", "", -1, false},
    {"GL_ATI_blend_weighted_minmax", "Blend Weighted Min/Max", "", -1, false},
    {"GL_ATI_pn_triangles GL_ATIX_pn_triangles", "PN Triangles", "", -1, false},
    {"GL_ATI_point_cull_mode", "Point Culling", "", -1, false},
    {"GL_ATI_separate_stencil", "Separate Stencil", "", -1, false},
    {"GL_ATI_text_fragment_shader", "Text Fragment Shader", "", -1, false},
    {"GL_ATI_texture_compression_3dc", "ATI 3Dc Compressed Textures", "", -1, false},
    {"GL_ATI_texture_env_combine3", "Texture Env Combine 3", "", -1, false},
    {"GL_ATI_texture_float", "ATI Floating Point Textures", "", -1, false},
    {"GL_ATI_texture_mirror_once", "Texture Mirror Once", "", -1, false},
    {"GL_EXT_abgr", "ABGR Texture Support", "", -1, false},
    {"GL_EXT_bgra", "BGRA Texture Support", "1.2", -1, false},
    {"GL_EXT_blend_color GL_ARB_imaging", "Blend Color", "", -1, false},
    {"GL_EXT_blend_equation_separate", "Separate Blending Equations for RGB and Alpha", "2.0", -1,
     false},
    {"GL_EXT_blend_func_separate", "Separate Blend Function", "1.4", -1, false},
    {"GL_EXT_blend_minmax GL_ARB_imaging", "Blend Min/Max", "", -1, false},
    {"GL_EXT_blend_subtract GL_ARB_imaging", "Blend Subtract", "", -1, false},
    {"GL_EXT_clip_volume_hint", "Clip Volume Hint", "", -1, false},
    {"GL_EXT_color_subtable GL_ARB_imaging", "Color Subtable", "", -1, true},
    {"GL_EXT_compiled_vertex_array", "Compiled Vertex Array", "", -1, false},
    {"GL_EXT_depth_bounds_test", "Depth Bounds Test", "", -1, false},
    {"GL_EXT_convolution GL_ARB_imaging", "Convolution", "", -1, true},
    {"GL_EXT_draw_range_elements", "Draw Range Elements", "1.2", -1, false},
    {"GL_EXT_fog_coord", "Fog Coordinate", "1.4", -1, false},
    {"GL_EXT_framebuffer_blit", "Frame Buffer Object Blit", "", -1, false},
    {"GL_EXT_framebuffer_object", "Frame Buffer Object", "", -1, false},
    {"GL_EXT_geometry_shader4", "Geometry Shader", "", -1, false},
    {"GL_EXT_gpu_program_parameters", "GPU Program Parameters", "", -1, false},
    {"GL_EXT_gpu_shader4", "GPU Shader 4", "", -1, false},
    {"GL_EXT_histogram GL_ARB_imaging", "Histogram", "", -1, true},
    {"GL_EXT_packed_depth_stencil", "Packed Depth and Stencil", "", -1, false},
    {"GL_EXT_multi_draw_arrays", "Multi-Draw Arrays", "1.4", -1, false},
    {"GL_EXT_paletted_texture", "Paletted Textures", "", -1, false},
    {"GL_EXT_rescale_normal", "Rescale Normal", "1.2", -1, false},
    {"GL_EXT_secondary_color", "Secondary Color", "1.4", -1, false},
    {"GL_EXT_separate_specular_color", "Separate Specular Color", "1.2", -1, false},
    {"GL_EXT_shadow_funcs", "Shadow Functions", "1.5", -1, false},
    {"GL_EXT_shared_texture_palette", "Shared Texture Palette", "", -1, false},
    {"GL_EXT_stencil_two_side", "Stencil Two Side", "", 0x140, false},
    {"GL_EXT_stencil_wrap", "Stencil Wrap", "1.4", -1, false},
    {"GL_EXT_texture_compression_dxt1", "DXT1 Compressed Textures", "", -1, false},
    {"GL_EXT_texture3D", "3D Texturing", "1.2", -1, false},
    {"GL_EXT_texture_compression_s3tc", "Texture Compression S3TC", "", -1, false},
    {"GL_EXT_texture_filter_anisotropic", "Anisotropic Texture Filtering", "", -1, false},
    {"GL_EXT_texture_lod_bias", "Texture Level Of Detail Bias", "1.4", -1, false},
    {"GL_EXT_texture_mirror_clamp", "Texture Mirror Clamp", "", -1, false},
    // The rectangle textures the labels use: Mesa names them after ARB and NV only.
    {"GL_EXT_texture_rectangle GL_ARB_texture_rectangle GL_NV_texture_rectangle",
     "Texture Rectangle", "", -1, false},
    {"GL_EXT_texture_sRGB", "sRGB Textures", "2.1", -1, false},
    {"GL_EXT_transform_feedback", "Transform Feedback", "", -1, false},
    {"GL_HP_convolution_border_modes", "Convolution Border Modes", "", -1, false},
    {"GL_IBM_rasterpos_clip", "Raster Position Clipping", "", -1, false},
    {"GL_NV_blend_square", "Blend Square", "1.4", -1, false},
    {"GL_NV_depth_clamp", "Depth Clamp", "", -1, false},
    {"GL_NV_fog_distance", "Eye Radial Fog Distance", "", -1, false},
    {"GL_NV_light_max_exponent", "Light Max Exponent", "", -1, false},
    {"GL_NV_multisample_filter_hint", "Multi-Sample Filter Hint", "", -1, false},
    {"GL_NV_point_sprite", "NV Point Sprites", "", -1, false},
    {"GL_NV_register_combiners", "Register Combiners", "", -1, false},
    {"GL_NV_register_combiners2", "Per-Stage Register Combiners", "", -1, false},
    {"GL_NV_texgen_reflection", "TexGen Reflection", "", -1, false},
    {"GL_NV_texture_env_combine4", "Texture Env Combine 4", "", -1, false},
    {"GL_NV_texture_shader", "Texture Shader", "", -1, false},
    {"GL_NV_texture_shader2", "Texture Shader 2", "", -1, false},
    {"GL_NV_texture_shader3", "Texture Shader 3", "", -1, false},
    {"GL_SGIS_generate_mipmap", "MipMap Generation", "1.4", 0, false},
    {"GL_SGIS_texture_edge_clamp GL_EXT_texture_edge_clamp", "Texture Edge Clamp", "1.2", -1,
     false},
    {"GL_SGIS_texture_lod", "Texture Level Of Detail", "1.2", -1, false},
    {"GL_SGI_color_matrix GL_ARB_imaging", "Color Matrix", "", -1, true},
    {"GL_SGI_color_table GL_ARB_imaging", "Color Table", "", -1, true},
};

std::vector<FeatureRow> makeRows() {
  std::vector<FeatureRow> rows;
  rows.reserve(kFeatureCount);
  for (const RawRow& raw : kRows) {
    FeatureRow row;
    QStringList names = QString::fromLatin1(raw.extensions).split(QLatin1Char(' '));
    static QByteArray keys[kFeatureCount];
    QByteArray& key = keys[rows.size()];
    key = names.front().toLatin1();
    row.key = key.constData();
    for (const QString& n : names) row.extensions.push_back(n.toLatin1());
    QStringList shown = names;
    const QString lineVersion = QString::fromLatin1(raw.lineVersion);
    if (!lineVersion.isEmpty()) shown.append(QStringLiteral("OpenGL %1+").arg(lineVersion));
    QString joined = shown.back();
    if (shown.size() > 1)
      joined = QStringList(shown.begin(), shown.end() - 1).join(QStringLiteral(", ")) +
               QStringLiteral(" or ") + shown.back();
    row.line = QStringLiteral("\n  %1 (%2%3)")
                   .arg(QString::fromLatin1(raw.title), raw.spaced ? QStringLiteral(" ") : QString(),
                        joined);
    row.coreVersion = raw.testVersion >= 0 ? static_cast<std::uint16_t>(raw.testVersion)
                                           : openGLVersionCode(raw.lineVersion);
    row.tested = true;
    rows.push_back(std::move(row));
  }
  // Nothing sets these two: their lines are never shown.
  rows[featureIndex("GL_ARB_texture_rectangle")].tested = false;
  rows[featureIndex("GL_EXT_transform_feedback")].tested = false;
  // The singular spelling of some older drivers.
  rows[featureIndex("GL_APPLE_packed_pixels")].extensions.push_back("GL_APPLE_packed_pixel");
  return rows;
}

}  // namespace

std::uint16_t openGLVersionCode(const char* version) {
  if (!version) return 0;
  std::uint16_t code = 0;
  int digit = 0;
  for (const char* p = version; *p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '.');
       ++p) {
    if (*p == '.') continue;
    if (digit < 3) code = static_cast<std::uint16_t>(code + ((*p - '0') << (8 - 4 * digit)));
    ++digit;
  }
  return code;
}

const std::vector<FeatureRow>& featureRows() {
  static const std::vector<FeatureRow> rows = makeRows();
  return rows;
}

int featureIndex(const char* key) {
  for (int i = 0; i < kFeatureCount; ++i) {
    const char* space = std::strchr(kRows[i].extensions, ' ');
    const std::size_t n = space ? static_cast<std::size_t>(space - kRows[i].extensions)
                                : std::strlen(kRows[i].extensions);
    if (std::strlen(key) == n && std::strncmp(kRows[i].extensions, key, n) == 0) return i;
  }
  return -1;
}

bool hasExtensionWord(const QByteArray& extensions, const QByteArray& name) {
  if (name.isEmpty()) return false;
  qsizetype from = 0;
  while ((from = extensions.indexOf(name, from)) >= 0) {
    const qsizetype end = from + name.size();
    const bool startOk = from == 0 || extensions.at(from - 1) == ' ';
    const bool endOk = end == extensions.size() || extensions.at(end) == ' ';
    if (startOk && endOk) return true;
    from = end;
  }
  return false;
}

void setFeatureFlags(const QByteArray& extensions, std::uint16_t version,
                     std::array<bool, kFeatureCount>& flags) {
  const auto& rows = featureRows();
  for (int i = 0; i < kFeatureCount; ++i) {
    const FeatureRow& row = rows[i];
    bool set = false;
    if (row.tested) {
      for (const QByteArray& e : row.extensions) set = set || hasExtensionWord(extensions, e);
      set = set || (row.coreVersion != 0 && version >= row.coreVersion);
    }
    flags[i] = set;
  }
}

void copyCapsString(char field[256], const char* text) {
  std::memset(field, 0, 256);
  if (text) std::strncpy(field, text, 255);
}

std::vector<CapsTextPart> capsLabelText(const DisplayCaps& caps) {
  std::vector<CapsTextPart> parts;
  parts.push_back({CapsStyle::Title, QStringLiteral("GL Capabilities:")});
  parts.push_back({CapsStyle::Body, QStringLiteral("\n  Max VRAM- %1 MB (%2 MB free)")
                                        .arg(caps.deviceVRAM / 1048576)
                                        .arg(caps.deviceTextureRAM / 1048576)});
  parts.push_back(
      {CapsStyle::Body,
       QStringLiteral("\n  Max Texture Size- 1D/2D: %1, 3D: %2, Cube: %3, Rect: %4 (%5 texture units)")
           .arg(caps.maxTextureSize)
           .arg(caps.max3DTextureSize)
           .arg(caps.maxCubeMapTextureSize)
           .arg(caps.maxRectTextureSize)
           .arg(caps.textureUnits)});
  parts.push_back({CapsStyle::Heading, QStringLiteral("\n Features:")});
  const auto& rows = featureRows();
  for (int i = 0; i < kFeatureCount; ++i)
    if (caps.features[i]) parts.push_back({CapsStyle::Body, rows[i].line});
  return parts;
}

bool sameDisplay(const DisplayCaps& a, const DisplayCaps& b) {
  return a.displayID == b.displayID && a.glDisplayMask == b.glDisplayMask &&
         a.width == b.width && a.height == b.height && a.originX == b.originX &&
         a.originY == b.originY && a.depth == b.depth && a.refreshRate == b.refreshRate;
}

}  // namespace pravella::gl
