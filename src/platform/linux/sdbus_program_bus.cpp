#include "platform/linux/sdbus_program_bus.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace vexel {
namespace {

// Long enough for a full apply over the receiver with its re-sends.
constexpr uint64_t kCallTimeoutUs = 120'000'000;

std::string ErrorText(const sd_bus_error& error, int result) {
  if (error.message != nullptr) return error.message;
  return std::strerror(-result);
}

struct Message {
  sd_bus_message* message = nullptr;
  ~Message() { sd_bus_message_unref(message); }
};

struct BusError {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~BusError() { sd_bus_error_free(&error); }
};

}  // namespace

SdbusProgramBus::SdbusProgramBus() {
  if (sd_bus_open_user(&bus_) < 0) bus_ = nullptr;
}

SdbusProgramBus::~SdbusProgramBus() {
  sd_bus_flush_close_unref(bus_);
}

bool SdbusProgramBus::ProgramRunning() {
  if (bus_ == nullptr) return false;
  BusError error;
  Message reply;
  int has_owner = 0;
  return sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                            "org.freedesktop.DBus", "NameHasOwner", &error.error, &reply.message,
                            "s", kProgramBusName) >= 0 &&
         sd_bus_message_read(reply.message, "b", &has_owner) >= 0 && has_owner != 0;
}

ProgramReply SdbusProgramBus::Call(const std::string& method,
                                   const std::vector<std::string>& strings,
                                   const std::vector<std::string>* list) {
  ProgramReply result;
  if (bus_ == nullptr) {
    result.error = "no session bus";
    return result;
  }
  Message call;
  Message reply;
  BusError error;
  int r = sd_bus_message_new_method_call(bus_, &call.message, kProgramBusName, kProgramObjectPath,
                                         kProgramInterface, method.c_str());
  for (std::size_t i = 0; r >= 0 && i < strings.size(); ++i) {
    r = sd_bus_message_append_basic(call.message, 's', strings[i].c_str());
  }
  if (r >= 0 && list != nullptr) {
    r = sd_bus_message_open_container(call.message, 'a', "s");
    for (std::size_t i = 0; r >= 0 && i < list->size(); ++i) {
      r = sd_bus_message_append_basic(call.message, 's', (*list)[i].c_str());
    }
    if (r >= 0) r = sd_bus_message_close_container(call.message);
  }
  if (r >= 0) r = sd_bus_call(bus_, call.message, kCallTimeoutUs, &error.error, &reply.message);
  const char* value = nullptr;
  if (r >= 0) r = sd_bus_message_read(reply.message, "s", &value);
  if (r < 0) {
    result.error = ErrorText(error.error, r);
    return result;
  }
  result.ok = true;
  result.value = value != nullptr ? value : "";
  return result;
}

bool SdbusProgramBus::Profiles(std::vector<std::string>& names, int& selected,
                               std::string& error_text) {
  if (bus_ == nullptr) {
    error_text = "no session bus";
    return false;
  }
  BusError error;
  char** strv = nullptr;
  int r = sd_bus_get_property_strv(bus_, kProgramBusName, kProgramObjectPath, kProgramInterface,
                                   "Profiles", &error.error, &strv);
  if (r >= 0) {
    for (char** name = strv; name != nullptr && *name != nullptr; ++name) {
      names.emplace_back(*name);
      std::free(*name);
    }
    std::free(strv);
    r = sd_bus_get_property_trivial(bus_, kProgramBusName, kProgramObjectPath, kProgramInterface,
                                    "SelectedProfile", &error.error, 'i', &selected);
  }
  if (r < 0) error_text = ErrorText(error.error, r);
  return r >= 0;
}

}  // namespace vexel
