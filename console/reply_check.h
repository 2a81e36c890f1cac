#pragma once
// The messages of a command that brought back nothing usable.
#include <memory>

#include "link/module_commands.h"

class CWnd;

// The bytes of SendCommand's reply that arrived; empty when there is no reply.
ReplyBytes CommandReply(const std::unique_ptr<ReplyBlock>& reply, int status);

// Shows "打开串口错误!" for status -1 and "读数据错误!" for a reply the command's decoder could
// not read (status 0, or too short for its fields). True when the reply was decoded.
bool ReplyUsable(CWnd& owner, int status, bool decoded);
