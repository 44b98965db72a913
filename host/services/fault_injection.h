// Write faults on demand, for tests of everything that writes files through the host.
//
// A countdown in the current host's services: once armed with FailWriteAfter(n), the n-th
// write from then on fails with ENOSPC ("disk full") as if the device were full. A "write" is
// one step of the host's file layer: one HostFilePrintf, one flush or close of a HostFile, one
// block written by HostRecodeFile, the settings file written by HostIniAccess, a mail put in
// the outbox. The fault sits in the layer that calls the C library, so the file, its error
// state and every caller's handling are the real ones. With `persistent` (the default) every
// later write fails too, as on a device that stays full; otherwise only the n-th one does.
// The archive that HostZipFiles makes is written by the zip library itself and is not
// counted. Effective for the current host only; a new host starts without a fault.
#pragma once

namespace host::services {

// n >= 1: the n-th write from now fails. n <= 0 disarms, as ClearWriteFault does.
void FailWriteAfter(int n, bool persistent = true);
void ClearWriteFault();
// True once an armed fault has made a write fail (so a test loop knows when to stop).
bool WriteFaultFired();

}  // namespace host::services
