// journal [--since SEQ], clear.
#pragma once
#include "CommandRegistry.h"
#include "Journal.h"

namespace simnb {

void RegisterJournalCommands(CommandRegistry& registry, Journal& journal);

}  // namespace simnb
