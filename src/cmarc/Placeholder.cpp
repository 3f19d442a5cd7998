// Keeps the target non-empty until the archive layer's sources arrive.
namespace qm { int CmarcPlaceholder() { return 0; } }
