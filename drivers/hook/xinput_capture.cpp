#include "xinput_capture.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <array>

#include "platform/linux/xkb_keyboard_layout.h"

namespace vexel::hook {
namespace {

// Raw events arrived in XInput 2.0; 2.1 delivers them whatever grabs are active.
constexpr int kXInputMajor = 2;
constexpr int kXInputMinor = 2;

}  // namespace

struct XInputCapture::Impl {
  Display* display = nullptr;
  int opcode = 0;
  bool lost = false;  // set by Xlib's I/O error exit handler, on this thread

  ~Impl() {
    if (display != nullptr) XCloseDisplay(display);
  }

  // Called instead of exit() when the connection breaks; Xlib then fails
  // every further call on this display quietly.
  static void OnConnectionLost(Display*, void* impl) { static_cast<Impl*>(impl)->lost = true; }

  bool SelectRawEvents() {
    int first_event = 0;
    int first_error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &first_event, &first_error)) {
      return false;
    }
    int major = kXInputMajor;
    int minor = kXInputMinor;
    if (XIQueryVersion(display, &major, &minor) != Success || major < kXInputMajor) return false;
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    for (int event : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease}) {
      XISetMask(bits.data(), event);
    }
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XSync(display, False);
    return !lost;
  }
};

XInputCapture::XInputCapture(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
XInputCapture::~XInputCapture() = default;

std::unique_ptr<XInputCapture> XInputCapture::Open() {
  auto impl = std::make_unique<Impl>();
  impl->display = XOpenDisplay(nullptr);
  if (impl->display == nullptr) return nullptr;
  XSetIOErrorExitHandler(impl->display, &Impl::OnConnectionLost, impl.get());
  if (!impl->SelectRawEvents()) return nullptr;
  std::unique_ptr<KeyboardLayout> layout =
      XkbKeyboardLayout::FromXServer(DisplayString(impl->display));
  if (!layout) layout = XkbKeyboardLayout::FromNames();
  if (!layout) return nullptr;
  std::unique_ptr<XInputCapture> capture(new XInputCapture(std::move(impl)));
  capture->layout_ = std::move(layout);
  return capture;
}

int XInputCapture::fd() const {
  return ConnectionNumber(impl_->display);
}

bool XInputCapture::Drain(const std::function<void(const RawInput&)>& on_input) {
  Display* display = impl_->display;
  while (!impl_->lost && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    XGenericEventCookie* cookie = &event.xcookie;
    if (cookie->type != GenericEvent || cookie->extension != impl_->opcode ||
        !XGetEventData(display, cookie)) {
      continue;
    }
    const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
    const auto detail = static_cast<uint32_t>(raw->detail);
    const int type = cookie->evtype;
    XFreeEventData(display, cookie);
    switch (type) {
      case XI_RawKeyPress:
        on_input({RawInput::Kind::kKeyPress, detail});
        break;
      case XI_RawKeyRelease:
        on_input({RawInput::Kind::kKeyRelease, detail});
        break;
      case XI_RawButtonPress:
        on_input({RawInput::Kind::kButtonPress, detail});
        break;
      case XI_RawButtonRelease:
        on_input({RawInput::Kind::kButtonRelease, detail});
        break;
      default:
        break;
    }
  }
  return !impl_->lost;
}

}  // namespace vexel::hook
