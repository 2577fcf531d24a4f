#include "platform/ado/faults.h"

#include <array>

namespace ado {
namespace {
struct Plan {
  HRESULT hr = S_OK;
  int after = 0;
  bool always = false;
};
std::array<Plan, static_cast<std::size_t>(Call::kCount)>& Plans() {
  static std::array<Plan, static_cast<std::size_t>(Call::kCount)> plans;
  return plans;
}
}  // namespace

HRESULT InjectedFailure(Call call) {
  Plan& plan = Plans()[static_cast<std::size_t>(call)];
  if (plan.hr == S_OK) return S_OK;
  if (plan.after > 0) {
    --plan.after;
    return S_OK;
  }
  const HRESULT hr = plan.hr;
  if (!plan.always) plan = Plan{};
  return hr;
}

namespace testing {
void FailCall(Call call, HRESULT hr, int after, bool always) {
  Plans()[static_cast<std::size_t>(call)] = Plan{hr, after, always};
}
void ClearFailures() { Plans().fill(Plan{}); }
}  // namespace testing

}  // namespace ado
