// The variables the engine defines before the first script line: the thread protocol,
// Pre-Initialization, the bootstrap of the engine cache (first installation), and
// Initialization. OS-free: machine facts come from IRunPlatform.
#pragma once

#include <string>

#include "CompiledScript.h"
#include "PathParts.h"
#include "RunPlatform.h"

namespace ovd {

struct TScriptRun;

// Thread protocol: progress and cancel variables, stored without the origin rule.
void SetThreadProtocolVariables(IRunPlatform& platform);
// TARGETDIR empty, STARTMENU = title, ALLUSERS = administrator rights.
void DefinePreInitializationVariables(IRunPlatform& platform, const TCompiledScript& script);
// The rest, with origin "Initialization".
void DefineInitializationVariables(IRunPlatform& platform, const TCompiledScript& script,
                                   const std::string& databasePath);
// DATE and TIME again (the runner does this before every line). date and time hold the
// texts written last: the variables are written again only when the clock's texts moved
// on, or always when force is set.
void RefreshDateAndTime(IRunPlatform& platform, std::string& date, std::string& time, bool force);

// Engine cache folders.
std::string EngineCacheBase(IRunPlatform& platform, const TCompiledScript& script, bool allUsers);
std::string EngineCacheFolder(IRunPlatform& platform, const TCompiledScript& script, bool allUsers);

// Defines the Bootstrap variables. Decides first installation, maintenance or upgrade;
// loading the saved choices of a maintenance run is not done here.
void Bootstrap(TScriptRun& run);

} // namespace ovd
