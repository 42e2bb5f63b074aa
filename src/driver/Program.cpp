#include "driver/Program.h"

#include "cmdline/KorlixCmdLine.h"
#include "component/Assembly.h"
#include "component/ComponentInterfaces.h"
#include "crypt/SecretWipe.h"
#include "crypt/XXCrypt.h"
#include "driver/CmdLineExt.h"
#include "driver/Dialogue.h"
#include "driver/EngineCmdLine.h"
#include "driver/ExitFlags.h"
#include "driver/ProgramInfo.h"
#include "platform/Elevation.h"
#include "platform/Msc.h"
#include "platform/ScopedHandle.h"
#include "trace/QuillTrace.h"

#include <clocale>
#include <cstdio>
#include <string>

namespace
{
constexpr DWORD g_dwReleasePause = 20;
constexpr unsigned g_idInvalidCommandLine = 5181;
constexpr unsigned g_idNotElevated = 5191;
constexpr unsigned g_idArchiveDeprecated = 5214;
constexpr unsigned g_idInvalidExtension = 5217;

// The front end's own error messages go to standard error.
void ErrorMessagePrint(unsigned idMessage)
{
    fprintf(stderr, "\n%s\n", MscLoadStringResource(idMessage));
}

// The arguments for the trace, passwords masked; the text becomes a trace
// format, so its '%' are doubled.
std::string ArgumentTextBuild(int argc, char* argv[])
{
    std::string text;
    for (int i = 0; i < argc; ++i)
    {
        char szLine[300];
        snprintf(szLine, sizeof(szLine), "\nargv[%d] = '%s'", i, MscHidePassword(argv[i]));
        text += szLine;
    }
    std::string doubled;
    for (char ch : text)
        doubled += ch == '%' ? "%%" : std::string(1, ch);
    return doubled;
}

// Object files are update files or configuration archives; pictures only
// for a logo update.
bool ObjectFileExtensionCheck(const CKorlixCmdLine& cmd)
{
    if (!cmd.OptionExists(eObjectFile) || cmd.m_csObjectFile.empty())
        return true;
    std::string ext;
    MscSplitPath(cmd.m_csObjectFile.c_str(), nullptr, nullptr, nullptr, &ext);
    const char* szExt = ext.c_str();
    if (_stricmp(szExt, ".nvux") == 0 || _stricmp(szExt, ".bup") == 0)
        return true;
    if ((_stricmp(szExt, ".jpg") == 0 || _stricmp(szExt, ".bmp") == 0) && cmd.OptionExists(eUpdateLogo))
        return true;
    ErrorMessagePrint(g_idInvalidExtension);
    g_exitFlags.Or(CExitFlags::eBiosFileMissing);
    return false;
}

// The answers that need no engine end with the key prompt and exit code 0.
void OwnAnswerShow(const std::string& text)
{
    printf("%s", text.c_str());
    fflush(stdout);
    PressAnyKey();
    g_exitFlags.Set(0);
}

// Help or the exit-code table: header and text.
void BigTextShow(bool (*pfnLoad)(std::string&, bool), bool fInstant)
{
    std::string text;
    pfnLoad(text, fInstant);
    OwnAnswerShow(text);
}

// /CRYPT: the obfuscated form of the password for /PWC; the clear text is
// wiped from the command-line object once it is no longer needed.
void PasswordObfuscate(CKorlixCmdLine& cmd)
{
    CXXCrypt crypt;
    if (!cmd.m_csPassword.empty())
    {
        std::string csObfuscated = crypt.Encrypt(cmd.m_csPassword);
        SecretTextWipe(cmd.m_csPassword);
        cmd.m_csPassword = csObfuscated;
    }
    OwnAnswerShow("The encrypted password is: " + cmd.m_csPassword);
}

// Engine work needs administrator rights.
bool ElevationRequire()
{
    if (CCElevation::IsElevated())
        return true;
    KRLX_TRACE(eTrcError, "main", "Internal", "NOT ELEVATED", "");
    g_exitFlags.Set(22);
    if (!g_fQuiet)
        ErrorMessagePrint(g_idNotElevated);
    return false;
}

// Creates the engine through the component model; false when it could not
// be created. A reference handed out despite a failure stays in `engine`.
bool EngineCreate(CCComPtr<IUnknown>& engine)
{
    HRESULT hr =
        g_assembly.CoCreateInstance(g_szDiDEreveProgID, engine.put_void(), nullptr, g_dwDiDEreveClsCtx, IID_IUnknown);
    if (FAILED(hr))
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "Business logic library not initialized",
                   "Instance of %s missing, hr=0x%8.8lx '%s'", g_szDiDEreveProgID, static_cast<unsigned long>(hr),
                   MscErrorTextGet(hr));
        g_exitFlags.Or(CExitFlags::eGeneralError);
        return false;
    }
    KRLX_TRACE(eTrcInfo, "main", "Internal", "Provider is initialized", "");
    return true;
}

// Hands the engine the command line and runs the dialogue with it.
void EngineDialogueRun(IUnknown* pEngine, CKorlixCmdLine& cmd, const char* szArgv0)
{
    std::string commandLine, cmdLineOri, cmdLine;
    GetCommandLineExt(commandLine);
    EngineCmdLineBuild(commandLine, szArgv0, cmd, g_programInfo.csFileVersion, cmdLineOri, cmdLine);
    std::string maskedCmdLine = MscHidePassword(cmdLine.c_str());
    KRLX_TRACE(eTrcVerbose, "main", "Internal", "Calling pDiDEreveObj->Execute", "\nCmdLine='%s'\ncsCmdLineOri='%s'",
               maskedCmdLine.c_str(), MscHidePassword(cmdLineOri.c_str()));

    // The IUnknown the engine hands out is its engine interface.
    DiDEreveDialogueRun(reinterpret_cast<IDiDEreveObj*>(pEngine), cmdLine, cmdLineOri);
}

// Creates the engine, runs the dialogue and releases whatever engine
// reference exists before this returns.
void EngineRun(CKorlixCmdLine& cmd, const char* szArgv0)
{
    CCComPtr<IUnknown> engine;
    if (EngineCreate(engine))
        EngineDialogueRun(engine.get(), cmd, szArgv0);
    if (!engine)
        return;
    KRLX_TRACE(eTrcInfo, "main", "Internal", "Releasing DiDEreve", "");
    engine.reset();
    Sleep(g_dwReleasePause);
}

// Loads the configuration and the dependency tables.
bool ComponentModelInitialize()
{
    if (!g_assembly.Initialize())
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "g_assembly.Initialize failed", "");
        g_exitFlags.Or(CExitFlags::eGeneralError);
        return false;
    }
    TrcOutDependencyTables(g_assembly);
    return true;
}

// Everything after COM is up; returns when the run is over.
void CommandRun(int argc, char* argv[], const std::string& argumentText)
{
    if (!CCElevation::IsElevated())
        KRLX_TRACE(eTrcWarning, "main", "Internal", "NOT ELEVATED", "");
    KRLX_TRACE(eTrcInfo, "main", "Enter", "Command line parameters", argumentText.c_str());

    CKorlixCmdLine cmd;
    CmdInfoParseExt(cmd, argc, argv);
    g_fQuiet = cmd.FrontEndOptionExists(eQuiet);
    const bool fSyntax = cmd.FrontEndOptionExists(eSyntax);
    const bool fInstant = cmd.FrontEndOptionExists(eInstant);

    if (cmd.OptionExists(eError) || !cmd.CheckParams())
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "Syntax error or CheckParams failed", "");
        g_exitFlags.Or(CExitFlags::eSyntaxError);
        if (!fSyntax && !g_fQuiet)
            ErrorMessagePrint(g_idInvalidCommandLine);
        return;
    }
    if (fSyntax)
    {
        KRLX_TRACE(eTrcVerbose, "main", "Internal", "Command line OK", "");
        g_exitFlags.Set(0);
        return;
    }
    if (cmd.OptionExists(eArchive))
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "Archive command deprecated", "");
        ErrorMessagePrint(g_idArchiveDeprecated);
        g_exitFlags.Or(CExitFlags::eSyntaxError);
        return;
    }
    if (!ObjectFileExtensionCheck(cmd))
        return;
    if (!ProgramInfoExtract(g_programInfo.csNameAndVersion, g_programInfo.csCopyright, g_programInfo.csDescription,
                            g_programInfo.csFileVersion, fInstant))
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "Could not extract program information", "");
        g_exitFlags.Or(CExitFlags::eGeneralError);
        return;
    }
    if (cmd.FrontEndOptionExists(eHelp))
        return BigTextShow(HelpTextLoad, fInstant);
    if (cmd.FrontEndOptionExists(eErrorLevels))
        return BigTextShow(ErrorLevelTextLoad, fInstant);
    if (cmd.OptionExists(eCrypt))
        return PasswordObfuscate(cmd);
    if (!ElevationRequire() || !ComponentModelInitialize())
        return;
    setlocale(LC_ALL, ".ACP");
    if (!g_fQuiet)
    {
        printf("%s\n%s\n\n", g_programInfo.csNameAndVersion.c_str(), g_programInfo.csCopyright.c_str());
        fflush(stdout);
    }
    EngineRun(cmd, argv[0]);
}
}  // namespace

int KorlixMain(int argc, char* argv[])
{
    g_trace.TraceBuildInfo(eTrcInfo, "main", "Internal");
    const std::string argumentText = ArgumentTextBuild(argc, argv);
    g_exitFlags.Set(0);
    {
        CCComApartment apartment(COINIT_MULTITHREADED);
        if (FAILED(apartment.Result()))
        {
            KRLX_TRACE(eTrcError, "main", "Internal", "CoInitializeEx failed", "hr=0x%X, '%s'",
                       static_cast<unsigned>(apartment.Result()), MscErrorTextGet(apartment.Result()));
            g_exitFlags.Or(CExitFlags::eGeneralError);
        }
        else
            CommandRun(argc, argv, argumentText);
        KRLX_TRACE(eTrcInfo, "main", "Leave", "", "ERRORLEVEL=%d", static_cast<int>(g_exitFlags.Get()));
    }
    return static_cast<int>(g_exitFlags.Get());
}
