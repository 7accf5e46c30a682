#pragma once
// What the Messages page writes about one message, worked out from its bytes
// when shown: a one-line summary for the list and the decoded fields.

#include "protocol/framing/Message.h"

#include <QString>
#include <string>
#include <vector>

struct TFieldText {
    QString Name, Value, Unit;
};

// The first fields as "name value unit", or why the message did not decode.
std::string MessageSummary(const protocol::Message& message);
// Every decoded field; a first row "problem" when the decoding was incomplete.
std::vector<TFieldText> MessageFields(const protocol::Message& message);
