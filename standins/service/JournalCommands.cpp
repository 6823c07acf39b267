#include "JournalCommands.h"

#include "ValueText.h"

namespace simnb {

void RegisterJournalCommands(CommandRegistry& registry, Journal& journal) {
    registry.Add("journal", "journal [--since SEQ]      entries after SEQ: SEQ FILETIME SOURCE DETAILS",
                 [&journal](const Args& args) {
                     uint64_t since = 0;
                     if (args.size() == 2 && args[0] == "--since") {
                         if (!ParseUnsigned(args[1], &since)) return Fail("bad sequence number: " + args[1]);
                     } else if (!args.empty()) {
                         return Fail("usage: journal [--since SEQ]");
                     }
                     return Ok(journal.Lines(since));
                 });
    registry.Add("clear", "clear                     empty the journal (numbers go on)", [&journal](const Args& args) {
        if (!args.empty()) return Fail("usage: clear");
        journal.Clear();
        return Ok();
    });
}

}  // namespace simnb
