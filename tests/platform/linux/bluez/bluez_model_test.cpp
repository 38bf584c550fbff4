#include "platform/linux/bluez/bluez_model.h"

#include <gtest/gtest.h>

#include "link/ble/ble_link.h"
#include "link/ble/device_presence.h"

namespace vexel::bluez {
namespace {

TEST(BluezModelTest, ReadsIdsFromWhatTheBusSays) {
  EXPECT_EQ(ModaliasIds("usb:v045Ep0040d0001"), "VID&02045e_PID&0040_REV&0001");
  EXPECT_EQ(ModaliasIds("bluetooth:v045Ep0040d0001"), "VID&01045e_PID&0040_REV&0001");
  for (const char* bad :
       {"usb:v045Ep0040", "usb:v045Ep0040d00010", "usb:v04XEp0040d0001", "pci:v045Ep0040d0001", ""})
    EXPECT_EQ(ModaliasIds(bad), std::nullopt) << bad;

  EXPECT_EQ(AddressDigits("C0:FF:EE:00:11:22"), "c0ffee001122");
  for (const char* bad : {"C0:FF:EE:00:11", "C0-FF-EE-00-11-22", "G0:FF:EE:00:11:22", ""})
    EXPECT_EQ(AddressDigits(bad), std::nullopt) << bad;

  EXPECT_EQ(ShortUuid("0000fee3-0000-1000-8000-00805f9b34fb"), 0xFEE3);
  EXPECT_EQ(ShortUuid("0000FEE4-0000-1000-8000-00805F9B34FB"), 0xFEE4);
  EXPECT_EQ(ShortUuid("1234fee3-0000-1000-8000-00805f9b34fb"), std::nullopt);
  EXPECT_EQ(ShortUuid("0000fee3"), std::nullopt);
  EXPECT_EQ(HandleOfPath("/org/bluez/hci0/dev_C0_FF_EE_00_11_22/service000c"), 0x000c);
  EXPECT_EQ(HandleOfPath("/x"), 0);
}

// The names built here are what the link's filters and the presence match see.
TEST(BluezModelTest, OnlyConnectedMiceGiveNamesThatTheLinkAndPresenceMatch) {
  Objects objects;
  const std::string mouse = "/org/bluez/hci0/dev_C0_FF_EE_00_11_22";
  const std::string other = "/org/bluez/hci0/dev_00_11_22_33_44_55";
  const std::string resolving = "/org/bluez/hci0/dev_C0_FF_EE_00_11_23";
  objects.devices[mouse] = {"C0:FF:EE:00:11:22", "usb:v045Ep0040d0001", "Vexel", true, true};
  objects.devices[resolving] = {"C0:FF:EE:00:11:23", "usb:v045Ep0040d0001", "Vexel", true, false};
  objects.devices[other] = {"00:11:22:33:44:55", "", "Phone", false, true};
  objects.services[mouse + "/service000c"] = {mouse, "0000FEE0-0000-1000-8000-00805f9b34fb"};
  objects.services[resolving + "/service000c"] = {resolving,
                                                  "0000fee0-0000-1000-8000-00805f9b34fb"};
  objects.services[other + "/service0001"] = {other, "0000180f-0000-1000-8000-00805f9b34fb"};
  objects.services["/orphan/service0001"] = {"/gone", "x"};

  const auto names = ConnectedServiceNames(objects);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0],
            "BTHLEDevice#{0000fee0-0000-1000-8000-00805f9b34fb}_Dev_VID&02045e_PID&0040_REV&0001_"
            "c0ffee001122#" +
                mouse + "/service000c");
  EXPECT_TRUE(link::IsBleMouseInterface(names[0]));
  EXPECT_EQ(ObjectPathOfInterfaceName(names[0]), mouse + "/service000c");
  EXPECT_EQ(HardwareId(objects.devices[mouse]), "BTHLE\\Dev_c0ffee001122");
  EXPECT_FALSE(ServiceInterfaceName(objects, "/orphan/service0001"));
}

}  // namespace
}  // namespace vexel::bluez
