#!/usr/bin/python3
"""Drives dbusmock's bluez5 mock: adds the mouse with its vendor GATT service,
connects it, notifies, and prints the calls the mock received."""
import sys
import time

import dbus

MOCK = 'org.freedesktop.DBus.Mock'
DEVICE = 'org.bluez.Device1'
CHARACTERISTIC = 'org.bluez.GattCharacteristic1'
OBJECT_MANAGER = 'org.freedesktop.DBus.ObjectManager'
BASE_UUID = '-0000-1000-8000-00805f9b34fb'

bus = dbus.SystemBus()


def mock(path):
    return dbus.Interface(bus.get_object('org.bluez', path), MOCK)


def device_path(address):
    return '/org/bluez/hci0/dev_' + address.replace(':', '_').upper()


def char_path(address, uuid):
    return device_path(address) + {'fee3': '/service000c/char000d', 'fee4': '/service000c/char000f'}[uuid]


def wait():
    for _ in range(200):
        if bus.name_has_owner('org.bluez'):
            return
        time.sleep(0.05)
    sys.exit('org.bluez did not appear')


def add_object(path, interface, properties, methods):
    mock('/').AddObject(path, interface, properties, methods)
    mock('/').EmitSignal(OBJECT_MANAGER, 'InterfacesAdded', 'oa{sa{sv}}',
                         [dbus.ObjectPath(path),
                          dbus.Dictionary({interface: dbus.Dictionary(properties, signature='sv')},
                                          signature='sa{sv}')])


def add_mouse(address, modalias):
    root = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')
    root.AddAdapter('hci0', 'host')
    device = root.AddDevice('hci0', address, 'Vexel')
    mock(device).UpdateProperties(DEVICE, {'Modalias': dbus.String(modalias)})
    service = device + '/service000c'
    add_object(service, 'org.bluez.GattService1', {
        'UUID': dbus.String('0000fee0' + BASE_UUID),
        'Device': dbus.ObjectPath(device),
        'Primary': dbus.Boolean(True),
    }, [])
    methods = [('WriteValue', 'aya{sv}', '', ''), ('StartNotify', '', '', ''),
               ('StopNotify', '', '', '')]
    for uuid, flags in (('fee3', ['write']), ('fee4', ['notify'])):
        add_object(char_path(address, uuid), CHARACTERISTIC, {
            'UUID': dbus.String('0000' + uuid + BASE_UUID),
            'Service': dbus.ObjectPath(service),
            'Flags': dbus.Array(flags, signature='s'),
            'Value': dbus.Array([], signature='y'),
        }, methods)


def set_connected(address, connected):
    mock(device_path(address)).UpdateProperties(DEVICE, {
        'Connected': dbus.Boolean(connected), 'ServicesResolved': dbus.Boolean(connected)})


def connect(address):
    set_connected(address, True)


def disconnect(address):
    set_connected(address, False)


def notify(address, payload):
    value = dbus.Array(bytes.fromhex(payload), signature='y', variant_level=1)
    mock(char_path(address, 'fee4')).EmitSignal(
        'org.freedesktop.DBus.Properties', 'PropertiesChanged', 'sa{sv}as',
        [CHARACTERISTIC, dbus.Dictionary({'Value': value}, signature='sv'),
         dbus.Array([], signature='s')])


def slow_writes(address, marker):
    """From now on WriteValue creates `marker`, then answers after 2 s."""
    mock(char_path(address, 'fee3')).AddMethod(
        CHARACTERISTIC, 'WriteValue', 'aya{sv}', '', f"open({marker!r}, 'w').close(); time.sleep(2)")


def calls(address, uuid, method):
    for _, args in mock(char_path(address, uuid)).GetMethodCalls(method):
        if method == 'WriteValue':
            print(bytes(args[0]).hex(), str(args[1].get('type', '')))
        else:
            print(method)


if __name__ == '__main__':
    globals()[sys.argv[1].replace('-', '_')](*sys.argv[2:])
