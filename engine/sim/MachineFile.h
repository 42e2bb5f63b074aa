// The simulated PC's files: XML documents read through the platform's DOM
// into flat name/value maps ("Element.Attribute", and "Element" for an
// element's text), and written back atomically.
#pragma once

#include <map>
#include <string>

using CValueMap = std::map<std::string, std::string>;

// The largest file the engine reads; anything bigger is none of ours.
constexpr unsigned long long g_nEngineFileLimit = 1024ull * 1024;

// Reads an XML file whose root element is `rootName`; false with a reason
// when it cannot be read, is bigger than the limit, cannot be parsed or is
// not of that kind.
bool XmlFileRead(const std::string& path, const char* szRootName, CValueMap& values, std::string& reason);

// The map as an XML document text with root `rootName`: one element per
// prefix, attributes in name order.
std::string XmlTextBuild(const char* szRootName, const CValueMap& values);

// Writes the map as an XML document with root `rootName` into a temporary
// file beside `path` and moves it over `path`.
bool XmlFileWrite(const std::string& path, const char* szRootName, const CValueMap& values, std::string& reason);

// Writes the bytes into a temporary file beside `path` and moves it over
// `path`, so that a reader sees the old bytes or the new ones.
bool FileWriteAtomic(const std::string& path, const std::string& bytes, std::string& reason);

// Test hook: when DIDEREVE_HOLD is "<point>:<marker file>" and names this
// point, creates the marker file and pauses for 20 seconds, so that a test
// can kill the process right there.
void HoldPointReach(const char* szPoint);

// The machine file the engine acts on: DIDEREVE_MACHINE or the default one.
// Empty when the simulated PC is switched off (DIDEREVE_MACHINE=-, or no
// default machine installed).
std::string MachinePathGet();

// The factory state of the simulated PC: the machine the package installs
// and MachineReset writes (engine/sim/Machine.xml).
CValueMap MachineFactory();

// A boot: a pending POST update completes; pending reboots, a pending
// shutdown and the BIOS locks "previous" and "untilreboot" clear.
void MachineBoot(CValueMap& machine);

// SHA-256 of bytes as lower-case hex, through the platform's crypto API.
std::string Sha256Hex(const std::string& bytes);
