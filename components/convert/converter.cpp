#include "converter.h"

#include <new>

#include "command.h"
#include "effects.h"
#include "result_codes.h"

namespace tiffdll {

int32_t Convert(const std::string& text, ConversionIo& io) {
  try {
    // The command is checked before the clipboard is touched, so that a bad
    // command never costs the caller its clipboard contents.
    ParsedCommand parsed = ParseCommand(text);
    if (!parsed.command) return parsed.error;
    const Command& command = *parsed.command;

    int32_t readError = kNoBitmap;
    std::optional<Image> source = io.ReadClipboard(&readError);
    if (!source || source->Empty()) return readError != 0 ? readError : kNoBitmap;

    EffectsOutcome outcome = ApplyEffects(std::move(*source), command);
    if (!outcome.image) return outcome.error;
    if (command.toClipboard) return io.WriteClipboard(*outcome.image);

    std::optional<Bytes> bytes = Encode(*outcome.image, command.format);
    if (!bytes) return kEncodeFailed;
    return io.WriteFile(command.path, *bytes);
  } catch (const std::bad_alloc&) {
    return kTooLarge;
  } catch (...) {
    return kInternal;
  }
}

}  // namespace tiffdll
