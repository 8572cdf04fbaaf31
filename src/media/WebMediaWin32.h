// The fetch of web media blocks (TEngineServices::FetchWebMedia): a block's files made
// present in the web media cache folder, from an archive beside the setup or downloaded
// (TGrabMedia), extracted (TExtractMedia), or copied from offline media (TCopyMedia); a
// fetched block is marked and never fetched again.
#pragma once

namespace ovd {

struct TEngineServices;

// Sets services.FetchWebMedia.
void RegisterWebMediaCommands(TEngineServices& services);

} // namespace ovd
