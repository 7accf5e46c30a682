#pragma once
// CFG-VALGET, CFG-VALSET and CFG-VALDEL as a generation 9+ receiver takes
// them, on its configuration database:
// - CFG-VALGET reads up to 64 keys from one layer, key IDs with item 0xFFF
//   standing for every key of their group and group 0xFFF too for every key
//   there is; the answer (version 1, the layer and the position) carries the
//   values from the position on, at most 64, leaving out keys the layer does
//   not hold. An unknown key or an answer without values is refused.
// - CFG-VALSET writes into RAM (acting at once), BBR and Flash; CFG-VALDEL
//   deletes from BBR and Flash. Version 1 carries a transaction: start,
//   continue, and apply, which makes every message's change at once or, if
//   any value is refused, none. A refused message, a transactionless one,
//   or any other CFG message in between cancels the transaction.
// Each take returns whether the message was taken (ACK-ACK) or refused.

#include "tools/receiver-sim/ConfigDatabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ValueCommands {
public:
    // answers: the CFG-VALGET answer is added to it.
    bool TakeGet(const std::string& payload, const ConfigDatabase& database,
                 const ReceiverConfig& inForce, std::vector<std::string>& answers) const;
    // id: kIdCfgValSet or kIdCfgValDel.
    bool TakeChange(std::uint8_t id, const std::string& payload, ConfigDatabase& database,
                    ReceiverConfig& inForce);
    // A CFG message with this id came in: any transaction of another message ends.
    void Interrupt(std::uint8_t id);

private:
    struct Change {
        std::uint8_t layers = 0;
        std::vector<ubx::TConfigValue> values; // keys alone for a deletion
    };

    std::optional<std::uint8_t> transaction_; // of CFG-VALSET or CFG-VALDEL
    std::vector<Change> pending_;
};
