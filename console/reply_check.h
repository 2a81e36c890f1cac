#pragma once
// The messages of a command that brought back nothing usable.
class CWnd;

// Shows "打开串口错误!" for status -1 and "读数据错误!" for a reply too short to hold the bytes
// the caller reads (status 0, or fewer than `needed` bytes). True when the reply can be decoded.
bool ReplyUsable(CWnd& owner, int status, int needed);
