#pragma once

// The PAN ID that every radio of one network shares: read, changed and made permanent ("WR")
// on the local USB radio adapter (main panel) and on the unit being configured (configuration
// page), with AT commands. Every request waits 0.1 s, goes out from TxStr and sets TxWait.

#include "ui/Event.h"

#include <cstdint>

namespace undarix::link {

struct PanIdState {
    // The last values a response confirmed: an error puts them back into the fields.
    std::uint64_t currentLocal = 0;
    std::uint64_t currentRemote = 0;
    // The AT request TxStr holds while its response is awaited (0 none, 1 local, 2 remote),
    // and its length: a resend must go out the same way, not as unit text.
    int pendingRoute = 0;
    int pendingLength = 0;
    // The adapter's PAN ID is to be asked once the unit command under way has its answer.
    bool localReadDeferred = false;
};
extern PanIdState PanId;
void ResetPanId();

// Asks the radio adapter for its PAN ID (local AT "ID"); the answer comes back through
// RxATCommandResponce.
void GetLocalPANID();
// The same, after the unit command under way (if any) has had its answer: the configuration
// session asks with AskDeferredLocalPANID once TxWait is clear.
void GetLocalPANIDWhenFree();
void AskDeferredLocalPANID();
// Makes the adapter keep its PAN ID through power cycles (local AT "WR").
void SaveLocalPANID();
// Asks the configured unit's radio for its PAN ID (remote AT "ID" to ConfigDeviceAddr).
void GetRemotePANID();

// Callbacks: the local PAN ID field of the main panel, the unit PAN ID field of the
// configuration page and its save button.
void Xstick_PAN_ID(ui::Event event);
void RavoZerarXB_PAN_ID(ui::Event event);
void SaveRemotePANID(ui::Event event);

// An AT command response of the adapter (API frame 0x88): `count` bytes in RxChars, the AT
// command letters, the status (0 = OK) and the value, most significant byte first. count is
// at least 3; it is 11 when an 8-byte value came back.
void RxATCommandResponce(int count);
// A remote AT command response of the unit being configured (0x97), laid out as above.
void RxRemoteATCommandResponce(int count);

// Sends the outstanding AT request again; false when TxStr holds no AT request.
bool ResendPanIdRequest();
// TxStr now holds something else (a unit command): no AT request is outstanding.
void ForgetPanIdRequest();
// Whether TxStr holds an AT request awaiting its response.
[[nodiscard]] bool PanIdRequestPending();

// Binds the three callbacks and their help.
void BindPanId();

} // namespace undarix::link
