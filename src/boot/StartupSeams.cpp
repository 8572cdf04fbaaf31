#include "StartupSeams.h"

#include "FileUtil.h"

#include <stdexcept>

namespace ovd {

StartupSeams& Seams()
{
    static StartupSeams seams{[](const std::string&) {},
                              [](const std::string& dialogFile, const std::string&) {
                                  if (!FileExists(dialogFile))
                                      throw std::runtime_error("Dialog file not found: " +
                                                               dialogFile);
                              },
                              [](const ScriptRunRequest&) {}};
    return seams;
}

} // namespace ovd
