// Gives every library at least one source, so the build configures while a
// folder is still empty.
namespace vx_anchor {
[[maybe_unused]] static int Anchor() { return 0; }
} // namespace vx_anchor
