// What the scripted ring events of the scenarios do to the station.
#include "simulator/station_model.h"

namespace sim {

void Station::ApplyScenarioEvent(RingEvent event) {
    StationState& s = state_;
    const size_t lastPort = s.portCount - 1;
    switch (event) {
        case RingEvent::kLinkLost:
            LoseLink(lastPort);
            return;
        case RingEvent::kLinkRestored:
            RestoreLink(lastPort);
            return;
        case RingEvent::kDuplicateDetected:
            // The MAC stops offering its data service while its address is not its own.
            s.duplicateAddress = true;
            s.mac.dupAddrTest = dup_addr_test::kFail;
            s.mac.daFlag = 1;
            UpdateUnitdataAvailable();
            if (s.mac.rmtState == rmt::kRingOp) SetRmtState(rmt::kRingOpDup);
            return;
        case RingEvent::kDuplicateClaim:
            // The two stations with one address keep the claim from settling for a while.
            SetRmtState(rmt::kNonOpDup);
            ScheduleRmt(rmt::kRingOpDup, 2000 + Jitter(11, 0, 500));
            return;
        case RingEvent::kLeaveRing:
            SetEcmState(ecm::kOut);
            for (size_t p = 0; p < s.portCount; ++p)
                DisablePort(p);
            Reconfigure();
            return;
        case RingEvent::kRejoinRing:
            s.duplicateAddress = false;
            s.mac.dupAddrTest = dup_addr_test::kPass;
            s.mac.daFlag = 0;
            SetEcmState(ecm::kIn);
            for (size_t p = 0; p < s.portCount; ++p)
                EnablePort(p);
            return;
        case RingEvent::kBeaconStart:
            s.traceStatus = 0;
            s.mac.rmtNextMs = kNever;
            SetRmtState(rmt::kNonOp);
            return;
        case RingEvent::kBeaconDetect:
            SetRmtState(rmt::kDetect);
            return;
        case RingEvent::kBeaconDirected:
            SetRmtState(rmt::kDirected);
            return;
        case RingEvent::kTraceStart:
            SetRmtState(rmt::kTrace);
            SetEcmState(ecm::kTrace);
            s.traceStatus |= trace_status::kInitiated;
            return;
        case RingEvent::kPathTest:
            SetEcmState(ecm::kPathTest);
            s.traceStatus |= trace_status::kTerminated;
            return;
        case RingEvent::kBeaconEnd:
            SetEcmState(ecm::kIn);
            SetRmtState(rmt::kNonOp);
            ScheduleRmt(rmt::kRingOp, Jitter(12, 2, 9));
            return;
    }
}

}  // namespace sim
