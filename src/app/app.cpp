#include "app/app.h"

namespace dz {

App& TheApp() {
  static App app;
  return app;
}

}  // namespace dz
