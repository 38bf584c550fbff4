// The hidraw back-end of the real driver library against a fake hidraw device
// made by umockdev. Runs with libumockdev-preload (set by the test's
// environment). umockdev never wakes poll() on the fake node, so status input
// reports cannot be delivered here; enumeration, feature-report framing,
// opening, and arrival and removal are covered.
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "hiddriver.h"
#include "link/feature_driver.h"
#include "platform/linux/bluez/private_bus.h"
#include "platform/posix/dl_library_loader.h"
#include "protocol/device_ids.h"
#include "sim/test_reports.h"

namespace vexel::test {
namespace {

constexpr uint32_t kWiredStatus = 1539;
constexpr uint32_t kWiredConnection = 1540;

// A USB mouse with the cable's ids and two interfaces (a boot mouse and a
// vendor-defined one), and another vendor's device beside it.
constexpr char kParents[] =
    "P: /devices/usb1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
    "A: idVendor=1d57\nA: idProduct=fa61\nA: manufacturer=Vexel\nA: product=Mouse\n\n"
    "P: /devices/usb1/0003:1D57:FA61.0001\nE: SUBSYSTEM=hid\n"
    "E: HID_ID=0003:00001D57:0000FA61\nE: HID_NAME=Vexel Mouse\nE: HID_UNIQ=\n"
    "H: report_descriptor=05010902A101C0\n\n"
    "P: /devices/usb1/0003:1D57:FA61.0002\nE: SUBSYSTEM=hid\n"
    "E: HID_ID=0003:00001D57:0000FA61\nE: HID_NAME=Vexel Mouse\nE: HID_UNIQ=\n"
    "H: report_descriptor=0600FF0901A101C0\n\n"
    "P: /devices/usb2\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
    "A: idVendor=046d\nA: idProduct=c52b\n\n"
    "P: /devices/usb2/0003:046D:C52B.0003\nE: SUBSYSTEM=hid\n"
    "E: HID_ID=0003:0000046D:0000C52B\nE: HID_NAME=Other\nE: HID_UNIQ=\n"
    "H: report_descriptor=0600FF0901A101C0\n\n"
    "P: /devices/usb2/0003:046D:C52B.0003/hidraw/hidraw9\nN: hidraw9\n"
    "E: DEVNAME=/dev/hidraw9\nE: SUBSYSTEM=hidraw\nA: dev=240:9\n"
    "L: device=../../../0003:046D:C52B.0003\n";

// The hidraw node of one of the mouse's interfaces; hidapi finds the hid
// parent through the device link.
std::string HidrawNode(const std::string& parent, int number) {
  const std::string n = std::to_string(number);
  return "P: /devices/usb1/" + parent + "/hidraw/hidraw" + n + "\nN: hidraw" + n +
         "\nE: DEVNAME=/dev/hidraw" + n + "\nE: SUBSYSTEM=hidraw\nA: dev=240:" + n +
         "\nL: device=../../../" + parent + "\n";
}

struct FeatureReport {
  std::string node;
  std::vector<uint8_t> bytes;
  bool operator==(const FeatureReport&) const = default;
};

using Posted = std::tuple<uint32_t, uintptr_t, intptr_t>;  // message, wparam, lparam

// Answers the hidraw ioctls that hidapi makes and records every feature report
// (umockdev calls it on a thread of its own).
class FakeHidraw {
 public:
  FakeHidraw() : handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&FakeHidraw::OnIoctl), this);
  }
  ~FakeHidraw() { g_object_unref(handler_); }

  UMockdevIoctlBase* handler() const { return handler_; }
  std::vector<FeatureReport> FeatureReports() { return sent_.WaitFor(0); }

 private:
  static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self_pointer) {
    auto* self = static_cast<FakeHidraw*>(self_pointer);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    if (request == HIDIOCGRDESCSIZE) {
      UMockdevIoctlData* size = umockdev_ioctl_data_resolve(argument, 0, sizeof(int), nullptr);
      if (size != nullptr) std::memset(size->data, 0, sizeof(int));
      umockdev_ioctl_client_complete(client, 0, 0);
    } else if (_IOC_TYPE(request) == 'H' && _IOC_NR(request) == _IOC_NR(HIDIOCSFEATURE(0))) {
      const std::size_t length = _IOC_SIZE(request);
      UMockdevIoctlData* data = umockdev_ioctl_data_resolve(argument, 0, length, nullptr);
      if (data != nullptr) {
        self->sent_.Put({umockdev_ioctl_client_get_devnode(client),
                         std::vector<uint8_t>(data->data, data->data + data->data_len)});
      }
      umockdev_ioctl_client_complete(client, static_cast<glong>(length), 0);
    } else {
      umockdev_ioctl_client_complete(client, -1, ENOTTY);
    }
    return TRUE;
  }

  UMockdevIoctlBase* handler_;
  bluez::Inbox<FeatureReport> sent_;
};

// Both driver libraries, loaded by the program's own loader from the program
// folder and told their device ids, on the fake devices.
class HidapiBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LD_PRELOAD") || !std::strstr(std::getenv("LD_PRELOAD"), "umockdev")) {
      GTEST_SKIP() << "needs LD_PRELOAD=libumockdev-preload.so.0";
    }
    unsetenv("VEXEL_VIRTUAL_MOUSE");
    testbed_ = umockdev_testbed_new();
    ASSERT_TRUE(umockdev_testbed_add_from_string(testbed_, kParents, nullptr));
    vendor_node_ = AddMouse();
    DlLibraryLoader loader;
    wired_ = LoadFeatureDriver(loader, std::string(VEXEL_BIN_DIR) + "/hiddriver_2.so");
    wireless_ = LoadFeatureDriver(loader, std::string(VEXEL_BIN_DIR) + "/hiddriver_1.so");
    ASSERT_TRUE(wired_ && wireless_);
    using protocol::kWiredDeviceId, protocol::kWirelessDeviceId;
    wired_->set_vidpid(kWiredDeviceId.vendor_id, kWiredDeviceId.product_id);
    wireless_->set_vidpid(kWirelessDeviceId.vendor_id, kWirelessDeviceId.product_id);
  }

  // Closes what a test left open, as a host does before unloading.
  void TearDown() override {
    for (auto* library : {&wireless_, &wired_}) {
      if (*library) {
        (*library)->close_feature_device();
        (*library)->close_dev_monitor();
      }
      library->reset();
    }
    if (testbed_ != nullptr) g_object_unref(testbed_);
  }

  // Plugs the mouse in; each time its interfaces get new node numbers, as on
  // a real system. Returns the node of the vendor interface.
  std::string AddMouse(bool announce = true) {
    sysfs_paths_.clear();
    std::string vendor_node;
    for (const char* parent : {"0003:1D57:FA61.0001", "0003:1D57:FA61.0002"}) {
      const int number = next_node_number_++;
      const std::string node = "/dev/hidraw" + std::to_string(number);
      sysfs_paths_.push_back("/sys/devices/usb1/" + std::string(parent) + "/hidraw/hidraw" +
                             std::to_string(number));
      // The node answers ioctls before sysfs shows it, so nobody opens it half-made
      // (hidapi 0.13.1 writes to freed memory when a node refuses its first ioctl).
      GError* error = nullptr;
      EXPECT_TRUE(umockdev_testbed_attach_ioctl(testbed_, node.c_str(), fake_.handler(), &error));
      EXPECT_TRUE(
          umockdev_testbed_add_from_string(testbed_, HidrawNode(parent, number).c_str(), &error));
      if (announce) umockdev_testbed_uevent(testbed_, sysfs_paths_.back().c_str(), "add");
      vendor_node = node;
    }
    return vendor_node;
  }

  void RemoveMouse(bool announce = true) {
    for (const std::string& path : sysfs_paths_) {
      if (announce) umockdev_testbed_uevent(testbed_, path.c_str(), "remove");
      umockdev_testbed_remove_device(testbed_, path.c_str());
    }
  }

  UMockdevTestbed* testbed_ = nullptr;
  int next_node_number_ = 0;
  std::vector<std::string> sysfs_paths_;
  std::string vendor_node_;
  FakeHidraw fake_;
  bluez::Inbox<Posted> posts_;
  const VexelPostTarget target_{
      [](void* posts, uint32_t message, uintptr_t wparam, intptr_t lparam) {
        static_cast<bluez::Inbox<Posted>*>(posts)->Put({message, wparam, lparam});
      },
      &posts_};
  std::unique_ptr<FeatureDriver> wired_, wireless_;
};

TEST_F(HidapiBackendTest, SendsEachReportAsOneFeatureReportToTheVendorInterfaceOfItsIds) {
  EXPECT_EQ(wireless_->open_feature_device(), 0);  // no receiver among the fake devices
  // Zero ids would match any device: nothing is opened for them.
  wireless_->set_vidpid(protocol::kWirelessDeviceId.vendor_id, 0);
  EXPECT_EQ(wireless_->open_feature_device(), 0);
  wireless_->set_vidpid(0, 0);
  EXPECT_EQ(wireless_->open_feature_device(), 0);
  ASSERT_EQ(wired_->open_feature_device(), 1);
  const auto lighting = ValidReport(protocol::kKindLighting);
  const auto chunk = MacroChunks(ValidReport(protocol::kKindMacro, 1, 2), false)[1];
  EXPECT_EQ(wired_->SetFeature(lighting), 1);
  EXPECT_EQ(wired_->SetFeature(chunk), 1);
  wired_->close_feature_device();
  EXPECT_EQ(wired_->SetFeature(lighting), 0);
  // The kind byte is the report id: the bytes go out unchanged.
  EXPECT_EQ(fake_.FeatureReports(),
            (std::vector<FeatureReport>{{vendor_node_, lighting}, {vendor_node_, chunk}}));
}

TEST_F(HidapiBackendTest, MonitorPostsRemovalAndArrivalAlsoOfAQuickReplug) {
  wired_->open_dev_monitor(&target_, kWiredStatus, kWiredConnection);
  ASSERT_EQ(wired_->open_feature_device(), 1);
  const Posted removed{kWiredConnection, 0, 0}, arrived{kWiredConnection, 1, 0};
  RemoveMouse();
  EXPECT_EQ(posts_.WaitFor(1), std::vector{removed});  // nothing for the state found at start
  wired_->close_feature_device();
  EXPECT_EQ(wired_->open_feature_device(), 0);
  AddMouse();
  EXPECT_EQ(posts_.WaitFor(2), (std::vector{removed, arrived}));
  EXPECT_EQ(wired_->open_feature_device(), 1);

  // Out and back in between two looks, with no udev event: the new node still
  // tells the monitor that the old handle is gone.
  RemoveMouse(false);
  const std::string new_node = AddMouse(false);
  EXPECT_EQ(posts_.WaitFor(4), (std::vector{removed, arrived, removed, arrived}));
  ASSERT_EQ(wired_->open_feature_device(), 1);
  ASSERT_EQ(wired_->SetFeature(ValidReport(protocol::kKindReset)), 1);
  EXPECT_EQ(fake_.FeatureReports().back().node, new_node);
}

}  // namespace
}  // namespace vexel::test

// umockdev's testbed worker thread and the test thread share strings without a
// lock inside umockdev itself; that is not this code's to fix.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libumockdev.so\n";
}
