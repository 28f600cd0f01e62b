// Test bed for the Windows tests; grows with the stand-in Lister and screenshot helpers.
namespace pictara::testbed {}
