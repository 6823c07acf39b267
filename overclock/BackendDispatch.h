// Which back-end a switch goes to: NVIDIA whenever it is ready (even when ATI is ready
// too), otherwise ATI, otherwise none — then nothing is called at all.
#pragma once

template <typename NvidiaOp, typename AtiOp>
void DispatchToBackend(bool bNvidia, bool bAti, NvidiaOp nvidia, AtiOp ati) {
    if (bNvidia)
        nvidia();
    else if (bAti)
        ati();
}
