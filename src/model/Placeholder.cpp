// Keeps the target non-empty until the model's sources arrive.
namespace qm { int ModelPlaceholder() { return 0; } }
