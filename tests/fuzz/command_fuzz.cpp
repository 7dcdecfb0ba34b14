// The one-line conversion command, as any caller of the component may send it.
#include <cmath>
#include <string_view>

#include "command.h"
#include "fuzz_target.h"

VISTREL_FUZZ_TARGET(command) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tiffdll::ParsedCommand parsed = tiffdll::ParseCommand(text);
  (void)tiffdll::FormatFromPath(text);
  if (!parsed.command) {
    FUZZ_REQUIRE(parsed.error != 0);
    return;
  }
  const tiffdll::Command& command = *parsed.command;
  FUZZ_REQUIRE(std::isfinite(command.angle));
  if (command.width) FUZZ_REQUIRE(std::isfinite(*command.width));
  if (!command.toClipboard) FUZZ_REQUIRE(!command.path.empty());
}
