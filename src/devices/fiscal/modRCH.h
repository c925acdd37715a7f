#pragma once
// The RCH components' status codes and key codes, shared by the G600 and G1200/G2000
// drivers.
#include <QString>
#include <cstdint>

namespace RchStatus {
constexpr int32_t None = 0;   // no result yet
constexpr int32_t WrongSpeed = 516;
constexpr int32_t WrongMode = 517;
constexpr int32_t Closed = 519;
constexpr int32_t Timeout = 521;   // no result within the time-out: ours
constexpr int32_t WrongPort = 522;
constexpr int32_t Ok = 1000;
constexpr int32_t Accepted = 1001;   // a call the component took on
constexpr int32_t NoData = 1002;
constexpr int32_t Busy = 1003;
constexpr int32_t InvalidCommand = 1004;
constexpr int32_t InvalidData = 1005;
constexpr int32_t ReceiptOpen = 1006;
constexpr int32_t Completed = 1010;   // the register has carried the command out
constexpr int32_t ProcessingEnded = 1011;
}

// "[<code>] <text>"; a code without text gives "[<code>] ".
QString RchStatusText(int32_t status);

// A key of the register's keyboard as the components take it: at least four digits.
QString KeyCode(int key);
