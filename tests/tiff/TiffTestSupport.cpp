#include "tests/tiff/TiffTestSupport.h"

#include <cstdlib>
#include <filesystem>

namespace vardel::testing {

std::string CorpusDir() {
    const char* fromEnvironment = std::getenv("VARDEL_CORPUS_DIR");
    const std::string dir =
        fromEnvironment && *fromEnvironment ? fromEnvironment : VARDEL_CORPUS_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace vardel::testing
