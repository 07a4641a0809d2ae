// A shared library that exports no predicate, as a plug-in built with its symbols hidden by
// mistake: the host describes none of ours for it.
extern "C" __attribute__((visibility("default"))) int notAPredicate() { return 0; }
