#include "export.h"
#include "host/binding.h"
#include "host/fixed_point.h"
#include "module/module.h"

namespace tamrilo::module {

bool version_accepted(std::int32_t raw) {
    const double x = host::version_number(raw);
    return x > 1.4 && x < 1.6;
}

}  // namespace tamrilo::module

// Tells the script which interface version the library speaks.
TAMRILO_EXPORT std::int32_t Get_Versionsnummer() {
    tamrilo::host::Variable* version = tamrilo::host::find_host_var("FF_versionsnummer");
    if (version == nullptr) return 0;
    *version = tamrilo::module::kInterfaceVersion;
    return 0;
}
