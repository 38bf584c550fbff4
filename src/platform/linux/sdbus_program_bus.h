// ProgramBus over sd-bus on the session bus (DBUS_SESSION_BUS_ADDRESS), for
// vexelctl: one blocking call at a time on the calling thread.
#pragma once

#include "platform/program_bus.h"

struct sd_bus;

namespace vexel {

class SdbusProgramBus final : public ProgramBus {
 public:
  SdbusProgramBus();
  ~SdbusProgramBus() override;
  SdbusProgramBus(const SdbusProgramBus&) = delete;
  SdbusProgramBus& operator=(const SdbusProgramBus&) = delete;

  // True when the session bus is reachable and the program owns its name.
  bool ProgramRunning();

  ProgramReply Call(const std::string& method, const std::vector<std::string>& strings,
                    const std::vector<std::string>* list = nullptr) override;
  bool Profiles(std::vector<std::string>& names, int& selected, std::string& error) override;

 private:
  sd_bus* bus_ = nullptr;
};

}  // namespace vexel
