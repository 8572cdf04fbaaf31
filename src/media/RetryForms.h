// The retry forms of web media: TovdProxy after a failed download by the HTTP client (the
// proxy settings, Yes or No), TovdProxyEx after a failed download by the lightweight
// downloader (Resume or a New copy, OK or Cancel) and TovdExtract after a failed
// extraction (Download a fresh copy or Extract again, OK or Cancel). Modal, owned by the
// dialog on screen and centred on it (on the screen without one), in the engine's current
// texts, the progress display paused while open; TovdProxyEx and TovdExtract close by
// themselves after 60 s with OK (TovdExtract choosing Download).
#pragma once

#include "TGrabMedia.h"

namespace ovd {

struct TScriptRun;

// True for Yes; `proxy` holds the four edits then.
bool AskProxyRetry(TScriptRun& run, TProxySettings& proxy);

enum class DownloadRetry { Resume, NewCopy, Cancel };
DownloadRetry AskDownloadRetry(TScriptRun& run);

enum class ExtractRetry { Download, Extract, Cancel };
ExtractRetry AskExtractRetry(TScriptRun& run);

} // namespace ovd
