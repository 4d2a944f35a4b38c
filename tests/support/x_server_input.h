#pragma once
// Keys and clicks as a user gives them: through the X server, whose XTEST extension takes them
// as its own devices' input and sends them to whichever window has the pointer or the focus,
// as it does a keyboard's. They go on a connection of their own to the test's display, so that
// they reach the application's Qt by the same way as a user's. The xcb platform only.

#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace pravella::test {

// A few key symbols (X11/keysymdef.h); a lower-case Latin letter's is its character code.
namespace keysym {
inline constexpr std::uint32_t kControl = 0xffe3;
inline constexpr std::uint32_t kEnd = 0xff57;
}  // namespace keysym

class XServerInput {
 public:
  XServerInput() {
    int screen = 0;
    connection_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection_)) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (; it.rem && screen > 0; --screen) xcb_screen_next(&it);
    root_ = it.data->root;
    static const char kName[] = "XTEST";
    xcb_query_extension_reply_t* extension = xcb_query_extension_reply(
        connection_, xcb_query_extension(connection_, std::strlen(kName), kName), nullptr);
    if (extension && extension->present) xtest_ = extension->major_opcode;
    std::free(extension);
    readKeyboardMapping();
  }
  ~XServerInput() {
    if (connection_) xcb_disconnect(connection_);
  }
  XServerInput(const XServerInput&) = delete;
  XServerInput& operator=(const XServerInput&) = delete;

  // Empty when it can give input; else why not.
  QString missing() const {
    if (!connection_ || xcb_connection_has_error(connection_)) return "no X display";
    if (!xtest_) return "the X server has no XTEST extension";
    return {};
  }

  // The pointer moved to `global` (screen coordinates) and its first button clicked there.
  void click(QPoint global) {
    fake(kMotion, 0, global);
    fake(kButtonPress, 1);
    fake(kButtonRelease, 1);
    flush();
  }

  // `symbol` pressed and released, with `held` (modifier keys' symbols) held down around it.
  void tap(std::uint32_t symbol, const std::vector<std::uint32_t>& held = {}) {
    for (std::uint32_t modifier : held) fake(kKeyPress, keycodeOf(modifier));
    fake(kKeyPress, keycodeOf(symbol));
    fake(kKeyRelease, keycodeOf(symbol));
    for (auto it = held.rbegin(); it != held.rend(); ++it) fake(kKeyRelease, keycodeOf(*it));
    flush();
  }

  // Lower-case Latin letters typed one by one.
  void type(const QString& letters) {
    for (QChar c : letters) tap(c.unicode());
  }

  // Whether every symbol has a key on the server's keyboard.
  bool hasKeys(const std::vector<std::uint32_t>& symbols) const {
    for (std::uint32_t symbol : symbols)
      if (!keycodeOf(symbol)) return false;
    return true;
  }

  // The requests sent are done by the server (and their events queued to their windows).
  void flush() {
    if (connection_)
      std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

 private:
  enum Type : std::uint8_t {
    kKeyPress = 2,
    kKeyRelease = 3,
    kButtonPress = 4,
    kButtonRelease = 5,
    kMotion = 6
  };

  // XTEST's FakeInput request (minor opcode 2), nine words long.
  void fake(Type type, std::uint8_t detail, QPoint at = {}) {
    if (!xtest_ || (type != kMotion && detail == 0)) return;
    std::array<std::uint8_t, 36> request{};
    request[1] = 2;
    request[4] = type;
    request[5] = detail;
    if (type == kMotion) {
      std::memcpy(&request[12], &root_, 4);
      const auto x = static_cast<std::int16_t>(at.x()), y = static_cast<std::int16_t>(at.y());
      std::memcpy(&request[24], &x, 2);
      std::memcpy(&request[26], &y, 2);
    }
    // xcb keeps the two vectors before the request's own for its header.
    std::array<iovec, 3> parts{};
    parts[2].iov_base = request.data();
    parts[2].iov_len = request.size();
    xcb_protocol_request_t header{1, nullptr, xtest_, 1};
    xcb_send_request(connection_, 0, &parts[2], &header);
  }

  void readKeyboardMapping() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    minKeycode_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, minKeycode_, count), nullptr);
    if (!mapping) return;
    perKeycode_ = mapping->keysyms_per_keycode;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    symbols_.assign(symbols, symbols + xcb_get_keyboard_mapping_keysyms_length(mapping));
    std::free(mapping);
  }

  // The key whose unshifted symbol is `symbol`; 0 when there is none.
  std::uint8_t keycodeOf(std::uint32_t symbol) const {
    for (std::size_t i = 0; perKeycode_ && i < symbols_.size(); i += perKeycode_)
      if (symbols_[i] == symbol) return static_cast<std::uint8_t>(minKeycode_ + i / perKeycode_);
    return 0;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  std::uint8_t xtest_ = 0;
  std::uint8_t minKeycode_ = 0;
  int perKeycode_ = 0;
  std::vector<xcb_keysym_t> symbols_;
};

}  // namespace pravella::test
