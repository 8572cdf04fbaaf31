#include "InstallerUi.h"

#include "EngineMessages.h"
#include "MsiApi.h"
#include "ProgressDisplay.h"
#include "TImageListPool.h"

namespace ovd {
namespace {

constexpr INSTALLUILEVEL kSourceResolutionOnly = static_cast<INSTALLUILEVEL>(0x102);
constexpr DWORD kMessageFilter = 0x7FDF;

// Engine message numbers of the box prefixes.
TInstallerPrefixes Prefixes()
{
    TInstallerPrefixes p;
    p.FatalError = EngineMessage(24);
    p.Error = EngineMessage(25);
    p.Warning = EngineMessage(26);
    p.FilesInUse = EngineMessage(28);
    p.OutOfDiskSpace = EngineMessage(29);
    return p;
}

// The progress mode changes on the main thread, which owns the taskbar.
void Attention(const TInstallerUiState& state, bool on, bool error)
{
    void* const window = state.Parent;
    ImageListPool().Synchronize([window, on, error] { SetProgressAttention(window, on, error); });
}

int ShowBox(const TInstallerUiState& state, const TInstallerBox& box)
{
    const bool attention = box.Mode != InstallerBoxMode::Unchanged;
    if (attention)
        Attention(state, true, box.Mode == InstallerBoxMode::Error);
    const int answer = MessageBoxA(static_cast<HWND>(state.Parent), box.Text.c_str(),
                                   state.Caption.c_str(), box.Style);
    if (attention)
        Attention(state, false, false);
    return answer;
}

int WINAPI InstallerMessageHandler(LPVOID raw, UINT type, LPCSTR message) noexcept
{
    auto* context = static_cast<TInstallerUiContext*>(raw);
    if (context == nullptr || context->State == nullptr)
        return 0;
    TInstallerUiState& state = *context->State;
    const InstallerBoxFn box = [&state](const TInstallerBox& b) { return ShowBox(state, b); };
    const InstallerProgressFn progress = [context](const TInstallerProgress& p) {
        const bool going = PublishInstallerProgress(p);
        return going && !(context->Cancelled && context->Cancelled());
    };
    return HandleInstallerMessage(state, type, message != nullptr ? message : "", Prefixes(), box,
                                  progress);
}

} // namespace

void ArmInstallerUi(TInstallerUiContext& context)
{
    MsiApi::MsiSetInternalUI(kSourceResolutionOnly, nullptr);
    MsiApi::MsiSetExternalUIA(InstallerMessageHandler, kMessageFilter, &context);
}

} // namespace ovd
