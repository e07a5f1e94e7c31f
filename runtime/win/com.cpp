#include "runtime/win/com.h"

#include <windows.h>
#include <objbase.h>

#include "runtime/win/ole.h"

namespace kelvra {

namespace {

// Nothing of the program needs OLE itself (no drag and drop, no OLE clipboard; edit boxes use the
// window clipboard): plain COM is started, and not before something asks for it, since starting
// it costs the start-up.
class ComOnThread {
  public:
    ComOnThread() {
        const HRESULT hr =
            ole::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        owned_ = SUCCEEDED(hr);
        usable_ = owned_ || hr == RPC_E_CHANGED_MODE;
    }
    ~ComOnThread() {
        if (owned_) ole::CoUninitialize();
    }
    ComOnThread(const ComOnThread&) = delete;
    ComOnThread& operator=(const ComOnThread&) = delete;
    bool usable() const { return usable_; }

  private:
    bool owned_ = false;
    bool usable_ = false;
};

}  // namespace

bool UseComOnThisThread() {
    thread_local const ComOnThread com;
    return com.usable();
}

}  // namespace kelvra
