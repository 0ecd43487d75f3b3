// The script checker: one finding per problem, with its exact text.
#include "tools/common/scriptcheck.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"
#include "tests/unit/testenv.h"

namespace {

const char kInstall[] = "name=Test\nBaseDir=C:\\TEST\ndisks=1\n";
const char kPackages[] = "Fonts=Fonts,FONTS,1,1,FF1,0\n";
const char kDisk1[] = "Fonts=FONTS.ARC\n";

std::string Script(const std::string& packages = kPackages, const std::string& disk1 = kDisk1,
                   const std::string& rest = "", const std::string& install = kInstall) {
    return "[Install]\n" + install + "[Packages]\n" + packages + "[Disk1]\n" + disk1 + rest;
}

// n keys of 13 characters in one section, each with the value given.
std::string ManyKeys(int n, const std::string& stem, const std::string& value) {
    std::string keys;
    for (int i = 0; i < n; ++i) {
        std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        keys += stem + std::string(11 - stem.size(), '_') + number + "=" + value + "\n";
    }
    return keys;
}

std::string F(const std::string& rest) {
    return "install.ini:" + rest;
}

const std::string kUnable = "the setup shows \"Unable to add icon.\" and makes no more icons";

class ScriptCheckTest : public testing::Test {
protected:
    void TearDown() override {
        szIniFile[0] = dest_path[0] = szTitle[0] = '\0';
        memset(Packages, 0, sizeof Packages);
        iNumPackages = 0;
    }

    // Each check reads a file of its own: the profile reader keeps the last
    // file it parsed while its size and date stay the same.
    std::vector<std::string> Check(const std::string& script,
                                   const ScriptCheckOptions& options = {}) {
        std::string path = dir / ("install" + std::to_string(++count) + ".ini");
        WriteFile(path, script);
        EXPECT_TRUE(UseScriptFile(path.c_str()));
        std::vector<std::string> lines;
        for (const ScriptFinding& f : CheckScript(options))
            lines.push_back(FormatFinding("install.ini", f));
        return lines;
    }

    struct Case {
        std::string script;
        std::vector<std::string> expect;
    };
    void CheckAll(const std::vector<Case>& cases) {
        for (size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(Check(cases[i].script), cases[i].expect) << "case " << i << ":\n"
                                                               << cases[i].script;
    }

    ScratchDir dir;
    int count = 0;
};

TEST_F(ScriptCheckTest, InstallSection) {
    const std::string longBase = "C:\\" + std::string(150, 'D');
    CheckAll({
        {Script(), {}},
        {Script(kPackages, kDisk1, "", "name=Test\nBaseDir=C:\\TEST\n"),
         {F("Install:disks: error: the key is missing; the setup stops with \"Couldn't read "
            "install.ini\"")}},
        {Script(kPackages, kDisk1, "", "name=Test\nBaseDir=C:\\TEST\ndisks=1 disk\n"),
         {F("Install:disks: warning: the value \"1 disk\" reads as 1")}},
        {Script(kPackages, kDisk1, "",
                "name=" + std::string(55, 'N') + "\nBaseDir=C:\\TEST\ndisks=1\n"),
         {F("Install:name: warning: the value is longer than 50 characters; the setup reads \"" +
            std::string(50, 'N') + "\"")}},
        {Script(kPackages, kDisk1, "", "name=Test\nBaseDir=" + longBase + "\ndisks=1\n"),
         {F("Install:BaseDir: error: the value is longer than 143 characters; the setup reads \"" +
            longBase.substr(0, 143) + "\""),
          F("Packages:Fonts: warning: below the default destination the directory is \"" +
            longBase.substr(0, 143) + "\\FONTS\", more than the setup's 143 characters")}},
        {Script(kPackages, kDisk1, "", "name=Test\ndisks=1\n"),
         {F("Install:BaseDir: warning: there is no default destination: the Options dialog offers "
            "an "
            "empty directory")}},
        {Script(kPackages, kDisk1, "", std::string(kInstall) + "Basedirectory=C:\\X\n"),
         {F("Install:Basedirectory: warning: the setup does not read this key")}},
    });
}

TEST_F(ScriptCheckTest, Sections) {
    CheckAll({
        {Script(kPackages, kDisk1, "[icons]\n[WINIniData]\n[Run16Items]\n[deletefiles]\n"), {}},
        {"[Install]\n" + std::string(kInstall) + "[Pakages]\n" + kPackages + "[Disk1]\n" + kDisk1,
         {F("Pakages:: error: the setup reads no section of this name: did you mean "
            "[Packages]?"),
          F("Packages:: error: the section is missing or has no key: the setup offers no package "
            "and installs nothing"),
          F("Disk1:Fonts: error: no package's name begins this key (case counts): its archive is "
            "never extracted")}},
        {Script(kPackages, kDisk1,
                "[Icon]\nGroupName=Test\n[WinIniDate]\nVersion=1\n[RunItem]\n[Run23Items]\n"
                "[DelteFiles]\n[Disk01]\n[Notes]\n[Instal]\n"),
         {F("Icon:: error: the setup reads no section of this name: did you mean [Icons]?"),
          F("WinIniDate:: error: the setup reads no section of this name: did you mean "
            "[WinIniData]?"),
          F("RunItem:: error: the setup reads no section of this name: did you mean [RunItems]?"),
          F("Run23Items:: error: the setup reads no section of this name: did you mean "
            "[Run32Items]?"),
          F("DelteFiles:: error: the setup reads no section of this name: did you mean "
            "[DeleteFiles]?"),
          F("Disk01:: warning: the setup reads no section of this name"),
          F("Notes:: warning: the setup reads no section of this name"),
          F("Instal:: error: the setup reads no section of this name: did you mean [Install]?")}},
        {Script(kPackages, kDisk1, "[Icons]\nGroupName=Test\n[ICONS]\nMore=X.EXE\n"),
         {F("ICONS:: error: the section is written again; the setup reads the first one only")}},
    });
}

TEST_F(ScriptCheckTest, PackageTable) {
    CheckAll({
        {Script(ManyKeys(22, "Package", "P,P,1,1,FF1,0")),
         {F("Packages:: error: the key list needs 309 bytes; the setup reads it into 300 and takes "
            "the "
            "answer 298 as too much data: it shows \"Too many packages\" and installs no "
            "package")}},
        {Script(ManyKeys(21, "P", "P,P,1,1,FF1,0")),
         {F("Packages:: error: 21 packages, more than the setup's 20: it shows \"Too many "
            "packages\" and "
            "installs no package")}},
        {Script(std::string(kPackages) + "FONTS=Other,OTHER,1,1,FF1,0\n",
                "Fonts=F.ARC\nFONTS=F2.ARC\n"),
         {F("Packages:FONTS: error: the package is listed twice (names compare without regard to "
            "case): "
            "both rows get the first one's value")}},
        {Script(std::string(kPackages) + "VeryLongPackageName=Long,LONG,1,1,FF1,0\n",
                std::string(kDisk1) + "VeryLongPackageName=LONG.ARC\n"),
         {F("Packages:VeryLongPackageName: error: the name is longer than 14 characters; the setup "
            "cuts "
            "it to \"VeryLongPackag\"")}},
        {Script("Fonts=Fonts,FONTS,1,1,FF1," + std::string(140, '0') + "\n"),
         {F("Packages:Fonts: error: the value is longer than 149 characters; the setup reads only "
            "\"Fonts,FONTS,1,1,FF1," +
            std::string(129, '0') +
            "\" and leaves the entry out where the cut falls inside what it uses"),
          F("Disk1:Fonts: error: no package's name begins this key (case counts): its archive is "
            "never extracted")}},
        {Script("Drivers=Drivers,,3,100,DLL,1\n", "Drivers=DRV.ARC\n"),
         {F("Packages:Drivers: error: a double comma moves the fields: the setup reads description "
            "\"Drivers\", directory \"3\", files \"100\", size \"DLL\", type \"1\"")}},
        {Script("Fonts=Fonts,FONTS,1,1\n"),
         {F("Packages:Fonts: error: the value has 4 of the fields description, directory, files, "
            "size "
            "in K, type and optional flag; the missing ones read as empty or 0")}},
        {Script("Fonts=" + std::string(55, 'd') + ",FONTS,1,1,FF1,0\n"),
         {F("Packages:Fonts: warning: the description is longer than 49 characters; the Options "
            "dialog "
            "shows \"" +
            std::string(49, 'd') + "\"")}},
        {Script("Fonts=Fonts,FONTS,x,big,FF2,maybe,extra\n"),
         {F("Packages:Fonts: warning: the number of files \"x\" reads as 0"),
          F("Packages:Fonts: warning: the size in K \"big\" reads as 0"),
          F("Packages:Fonts: warning: the type \"FF2\" is none of FF1, TTF, FF12TTF and DLL: the "
            "setup installs the package as plain files into its directory, without font repair "
            "(write FILES for that)"),
          F("Packages:Fonts: warning: the optional flag \"maybe\" reads as 0: the package is "
            "required"),
          F("Packages:Fonts: warning: the setup reads six fields and ignores \"extra\"")}},
        {Script("Fonts=Fonts,FONTS,1,3000000,FF1,0\n"),
         {F("Packages:Fonts: error: the size \"3000000\" is more than the 2097151 K the setup can "
            "count")}},
        {Script("Fonts=Fonts, FONTS , 1 , 1 ,ttf, 1\n"), {}},
        // Plain files: the word FILES, or the type left off a required package.
        {Script("Fonts=Fonts,FONTS,1,1,files,1\nDocs=Docs,DOCS,1,1,FILES\n",
                "Fonts=FONTS.ARC\nDocs=DOCS.ARC\n"),
         {}},
        {Script("", ""),
         {F("Packages:: error: the section is missing or has no key: the setup offers no package "
            "and installs nothing")}},
        {"[Install]\n" + std::string(kInstall) + "[Disk1]\n",
         {F("Packages:: error: the section is missing or has no key: the setup offers no package "
            "and installs nothing")}},
        // A disk key belongs to every package whose name begins it.
        {Script(std::string(kPackages) + "Font=Font,FONT,1,1,FF1,0\nFon=Fon,FON,1,1,FF1,1\n",
                "Fonts=FONTS.ARC\nFont=FONT.ARC\nFon=FON.ARC\nfont=X.ARC\n"),
         {F("Packages:Fonts: error: the name begins with the name of the package Font (case "
            "counts): the setup extracts the archives of Fonts for Font as well; rename one of "
            "them"),
          F("Packages:Fonts: error: the name begins with the name of the package Fon (case "
            "counts): the setup extracts the archives of Fonts for Fon as well; rename one of "
            "them"),
          F("Packages:Font: error: the name begins with the name of the package Fon (case "
            "counts): the setup extracts the archives of Font for Fon as well; rename one of "
            "them"),
          F("Disk1:font: error: no package's name begins this key (case counts): its archive is "
            "never extracted")}},
        {Script(std::string(kPackages) + "FONT=Font,FONT,1,1,FF1,0\n",
                "Fonts=FONTS.ARC\nFONT=FONT.ARC\n"),
         {}},
    });
}

TEST_F(ScriptCheckTest, PackageDirectories) {
    const std::string base = "C:\\" + std::string(100, 'B');
    CheckAll({
        {Script("Fonts=Fonts," + std::string(75, 'D') + ",1,1,FF1,0\n"),
         {F("Packages:Fonts: error: the directory expands to \"" + std::string(75, 'D') +
            "\", more than 69 characters: the setup leaves the package out")}},
        {Script("Fonts=Fonts, FONTS,1,1,FF1,0\n"),
         {F("Packages:Fonts: warning: the directory \" FONTS\" begins or ends with a blank, which "
            "stays "
            "part of its name")}},
        {Script("Fonts=Fonts,%I\\ROOT,1,1,FF1,0\n"),
         {F("Packages:Fonts: warning: \"%I\" expands to nothing when the setup reads the packages: "
            "the "
            "files go to \"\\ROOT\"")}},
        {Script("Fonts=Fonts," + std::string(45, 'D') + ",1,1,FF1,0\n", kDisk1, "",
                "name=Test\nBaseDir=" + base + "\ndisks=1\n"),
         {F("Packages:Fonts: warning: below the default destination the directory is \"" + base +
            "\\" + std::string(45, 'D') + "\", more than the setup's 143 characters")}},
        // The system-directory types ignore the directory field.
        {Script("Fonts=Fonts," + std::string(75, 'D') + ",1,1,DLL,0\n"), {}},
    });
}

TEST_F(ScriptCheckTest, DiskSections) {
    CheckAll({
        {Script(kPackages, std::string(kDisk1) + "orphan=ORPHAN.ARC\nfonts2=F2.ARC\n"),
         {F("Disk1:orphan: error: no package's name begins this key (case counts): its archive is "
            "never "
            "extracted"),
          F("Disk1:fonts2: error: no package's name begins this key (case counts): its archive is "
            "never "
            "extracted")}},
        {Script(kPackages, std::string(kDisk1) + "Fonts2=\n"),
         {F("Disk1:Fonts2: warning: the value is empty: the setup passes over the key")}},
        {Script(kPackages, "Fonts=AVERYLONGNAME.ARC\n"),
         {F("Disk1:Fonts: error: the value is longer than 14 characters; the setup reads only "
            "\"AVERYLONGNAME.\" and leaves the entry out where the cut falls inside what it "
            "uses")}},
        {Script(kPackages, kDisk1, "[Disk0]\nFonts=F0.ARC\n[Disk3]\nFonts=F3.ARC\n"),
         {F("Disk0:: error: the setup counts disks from 1 and never reads this section"),
          F("Disk3:: error: the section lies beyond disks=1: the setup never reads it")}},
        {Script(kPackages, ManyKeys(40, "Fonts", "F.ARC")),
         {F("Disk1:: error: the key list needs 561 bytes; the setup reads it into 502 and takes "
            "the "
            "answer 500 as too much data: it walks the list cut short and never extracts the "
            "archives of "
            "the keys that do not fit")}},
        {Script(std::string(kPackages) + "Extra=Extra,EXTRA,1,1,FF1,1\n"),
         {F("Packages:Extra: warning: no disk section names an archive of this package: nothing is "
            "installed for it")}},
        // A package the reader leaves out is reported once, not again for its disk keys.
        {Script("Fonts=Fonts," + std::string(75, 'D') + ",1,1,FF1,0\n"),
         {F("Packages:Fonts: error: the directory expands to \"" + std::string(75, 'D') +
            "\", more than 69 characters: the setup leaves the package out")}},
    });
}

TEST_F(ScriptCheckTest, Icons) {
    const std::string group = "[Icons]\nGroupName=Test\n";
    CheckAll({
        {Script(kPackages, kDisk1, "[Icons]\nLonely=X.EXE\nGroupName=Test\nFine=X.EXE\n"),
         {F("Icons:Lonely: error: the icon comes before a usable GroupName: " + kUnable)}},
        {Script(kPackages, kDisk1, "[Icons]\nGroupName=" + std::string(32, 'G') + "\n"),
         {F("Icons:GroupName: error: the group name is longer than 31 characters: " +
            kUnable)}},
        {Script(kPackages, kDisk1, "[Icons]\nGroupName=\nFine=X.EXE\n"),
         {F("Icons:GroupName: warning: the group name is empty: the icons after it go straight "
            "into the Programs folder")}},
        {Script(kPackages, kDisk1, group + "ProdInfo=\n"),
         {F("Icons:ProdInfo: warning: the value is empty: no icon is made and nothing runs at the "
            "end")}},
        {Script(kPackages, kDisk1, group + "ProdInfo=About\n"),
         {F("Icons:ProdInfo: warning: the value has a title but no command line: the icon starts "
            "nothing "
            "and nothing runs at the end")}},
        {Script(kPackages, kDisk1, group + "a\\b=X.EXE\n"),
         {F("Icons:a\\b: error: the title \"a\\b\" cannot name a link file: " + kUnable)}},
        {Script(kPackages, kDisk1, group + "Big=" + std::string(160, 'C') + "\n"),
         {F("Icons:Big: error: the command line or icon file expands to more than 151 "
            "characters: " +
            kUnable)}},
        {Script(kPackages, kDisk1, group + "Cmd=" + std::string(90, 'C') + "\n"),
         {F("Icons:Cmd: warning: the Program Manager command for the icon is longer than 99 "
            "characters: "
            "without shell links the icon is not made")}},
        {Script(kPackages, kDisk1,
                group + "Read Me=%I\\READ.EXE,%I\\READ.ICO\nGroupName=Second\n"
                        "ProdInfo=About,%I\\ABOUT.EXE\n"),
         {}},
        // Files of an optional package: the icon is made whether or not it is chosen.
        {Script(std::string(kPackages) + "Docs=Docs,DOCS,1,1,FILES,1\nMore=M,DOCS\\MORE,1,1,FILES,"
                                         "1\nAbs=A,%W\\ABS,1,1,FILES,1\nDrv=D,X,1,1,DLL,1\n",
                std::string(kDisk1) + "Docs=D.ARC\nMore=M.ARC\nAbs=A.ARC\nDrv=V.ARC\n",
                group + "Guide=%W\\NOTEPAD.EXE \"%I\\DOCS\\GUIDE.TXT\"\n"
                        "More=%I\\DOCS\\MORE\\M.EXE\nIcon=X.EXE,%i\\docs\\d.ico\n"
                        "Abs=%W\\ABS\\A.EXE\nFonts=%I\\FONTS\\F.EXE\nDocsDir=%I\\DOCS\n"
                        "Sys=%S\\X\\V.DLL\nProdInfo=About,%I\\DOCS\\ABOUT.EXE\n"),
         {F("Icons:Guide: warning: \"C:\\TEST\\DOCS\\GUIDE.TXT\" lies in the directory of the "
            "optional package Docs: when the user leaves it out, the setup makes the icon all the "
            "same, and it points to nothing"),
          F("Icons:More: warning: \"C:\\TEST\\DOCS\\MORE\\M.EXE\" lies in the directory of the "
            "optional package Docs or More: when the user leaves it out, the setup makes the icon "
            "all the same, and it points to nothing"),
          F("Icons:Icon: warning: \"C:\\TEST\\docs\\d.ico\" lies in the directory of the "
            "optional package Docs: when the user leaves it out, the setup makes the icon all the "
            "same, and it points to nothing"),
          F("Icons:Abs: warning: \"" + WindowsDir() +
            "\\ABS\\A.EXE\" lies in the directory of the optional package Abs: when the user "
            "leaves it out, the setup makes the icon all the same, and it points to nothing"),
          F("Icons:ProdInfo: warning: \"C:\\TEST\\DOCS\\ABOUT.EXE\" lies in the directory of "
            "the optional package Docs: when the user leaves it out, the setup makes the icon and "
            "runs the command at the end all the same")}},
        {Script(kPackages, kDisk1,
                "[Icons]\n" + ManyKeys(40, "Icon", "X.EXE") + "GroupName=Test\n"),
         {F("Icons:: error: the key list needs 571 bytes; the setup reads it into 500 and takes "
            "the answer "
            "498 as too much data: it shows \"Too many icons\" and makes no icon"),
          F("Icons:Icon_______00: error: the icon comes before a usable GroupName: " + kUnable)}},
    });
}

TEST_F(ScriptCheckTest, WinIniData) {
    // 130 characters of destination: four "%I" pass 499, the packages still fit.
    const std::string install = "name=Test\nBaseDir=C:\\" + std::string(127, 'B') + "\ndisks=1\n";
    CheckAll({
        {Script(kPackages, kDisk1,
                "[WinIniData]\nAddToSection1=nosemicolon\naddtosection2=sec;key=\nAddToSection3=;"
                "key=val\n"
                "AddToSection4=sec;=val\nAddToSection5=sec;key=a=b\nAddToSection6=sec;key=val\n"),
         {F("WinIniData:AddToSection1: error: the value is not of the form section;key=value"),
          F("WinIniData:addtosection2: error: the value is not of the form section;key=value"),
          F("WinIniData:AddToSection3: error: the value is not of the form section;key=value"),
          F("WinIniData:AddToSection4: error: the value is not of the form section;key=value"),
          F("WinIniData:AddToSection5: warning: the value ends at the second \"=\": the setup "
            "writes "
            "\"a\"")}},
        {Script(kPackages, kDisk1, "[WinIniData]\nFontDir=%I\\FONTS\nClearOld=1\n"),
         {F("WinIniData:ClearOld: warning: ClearOld comes after keys of the product's section and "
            "removes "
            "what they wrote: put it first")}},
        {Script(kPackages, kDisk1, "[WinIniData]\nFontDir=x\nVersion=1\n",
                "BaseDir=C:\\TEST\ndisks=1\n"),
         {F("WinIniData:FontDir: error: the product has no name, which names its WIN.INI "
            "section")}},
        {Script(kPackages, kDisk1, "[WinIniData]\nBig=%I%I%I%I\n", install),
         {F("WinIniData:Big: error: the value expands to more than 499 characters")}},
        {Script(kPackages, kDisk1, "[WinIniData]\n" + ManyKeys(22, "Key", "x")),
         {F("WinIniData:: error: the key list needs 309 bytes; the setup reads it into 300 and "
            "takes the "
            "answer 298 as too much data: it shows \"Too much win.ini data.\" and writes nothing "
            "to "
            "WIN.INI")}},
    });
}

TEST_F(ScriptCheckTest, RunItemsAndDeleteFiles) {
    const std::string install = "name=Test\nBaseDir=C:\\" + std::string(127, 'B') + "\ndisks=1\n";
    const std::string question(190, 'Q');
    CheckAll({
        {Script(kPackages, kDisk1,
                "[RunItems]\nrun it=PROG.EXE,yes\nask=PROG.EXE,1\nquiet=PROG.EXE,0\n"),
         {F("RunItems:run it: warning: the command line ends at the first comma; of \"yes\" only a "
            "first "
            "\"1\" counts (it asks first)")}},
        {Script(kPackages, kDisk1,
                "[RunItems]\n" + question + "=PROG.EXE,1\n[Run16Items]\n" + question +
                    "=PROG.EXE,0\n"),
         {F("RunItems:" + question +
            ": error: the key is longer than 181 characters: the question "
            "\"Do you want to ...\" is cut")}},
        {Script(std::string(kPackages) + "Docs=Docs,DOCS,1,1,FILES,1\nReq=R,REQ,1,1,FILES\n"
                                         "Both=B,REQ,1,1,FILES,1\n",
                std::string(kDisk1) + "Docs=D.ARC\nReq=R.ARC\nBoth=B.ARC\n",
                "[RunItems]\nread it=%W\\NOTEPAD.EXE %I\\DOCS\\READ.TXT,1\n"
                "[Run32Items]\nrequired=%I\\REQ\\RUN.EXE\n"),
         {F("RunItems:read it: warning: \"C:\\TEST\\DOCS\\READ.TXT\" lies in the directory of "
            "the optional package Docs: when the user leaves it out, the setup runs the command "
            "all the same")}},
        {Script(kPackages, kDisk1, "[Run32Items]\nBig=%I%I%I%I\n", install),
         {F("Run32Items:Big: error: the command line expands to more than 499 characters")}},
        {Script(kPackages, kDisk1, "[Run16Items]\n" + ManyKeys(22, "Run", "x")),
         {F("Run16Items:: error: the key list needs 309 bytes; the setup reads it into 300 and "
            "takes the "
            "answer 298 as too much data: it shows \"Too much run item data.\" and runs nothing of "
            "this "
            "section")}},
        {Script(kPackages, kDisk1,
                "[DeleteFiles]\n1=C:\\AUTOEXEC.BAT\n2=%I\\..\\X.TXT\n3=%I\\OLD.TXT\n4=%i\\..OLD\\X."
                "TXT\n"),
         {F("DeleteFiles:1: warning: the file \"C:\\AUTOEXEC.BAT\" lies outside the destination: "
            "write it "
            "as %I\\..."),
          F("DeleteFiles:2: warning: the file \"%I\\..\\X.TXT\" lies outside the destination: "
            "write it as "
            "%I\\...")}},
        {Script(kPackages, kDisk1, "[DeleteFiles]\nBig=%I%I%I%I%I%I\n", install),
         {F("DeleteFiles:Big: error: the path expands to more than 759 characters")}},
        {Script(kPackages, kDisk1, "[DeleteFiles]\n" + ManyKeys(22, "Del", "%I\\X")),
         {F("DeleteFiles:: error: the key list needs 309 bytes; the setup reads it into 300 and "
            "takes the "
            "answer 298 as too much data: it shows \"Too much delete files data.\" and deletes "
            "nothing")}},
    });
}

TEST_F(ScriptCheckTest, TemplatesLeaveDisksAndNumbersToTheMediaBuilder) {
    ScriptCheckOptions options;
    options.isTemplate = true;
    const std::string tmpl =
        "[Install]\nname=Test\nBaseDir=C:\\TEST\n[Packages]\nFonts=Fonts,FONTS,?,?,FF1,0\n";
    EXPECT_EQ(Check(tmpl, options), std::vector<std::string>{});
    // What makes a template: no disks, no disk section, a "?" for files or size.
    struct Case {
        std::string script;
        bool isTemplate;
    } cases[] = {
        {tmpl, true},
        {"[Install]\nname=T\n[Packages]\nA=A,A,1,1,FF1\nB=B,B,2,?,FF1\n", true},
        {tmpl + "[Disk1]\nFonts=F.ARC\n", false},
        {"[Install]\ndisks=1\n[Packages]\nFonts=Fonts,FONTS,?,?,FF1,0\n", false},
        {"[Install]\nname=T\n[Packages]\nFonts=Fonts,FONTS,1,1,FF1,?\n", false},
        {"[Install]\nname=T\n", false},
    };
    for (const Case& c : cases) {
        const std::string path = dir / ("template" + std::to_string(++count) + ".ini");
        WriteFile(path, c.script);
        ASSERT_TRUE(UseScriptFile(path.c_str()));
        EXPECT_EQ(IsScriptTemplate(), c.isTemplate) << c.script;
    }
}

TEST_F(ScriptCheckTest, FindingsFormat) {
    EXPECT_EQ(FormatFinding("a.ini", ScriptFinding{"Packages", "Fonts", true, "m"}),
              "a.ini:Packages:Fonts: error: m");
    EXPECT_EQ(FormatFinding("a.ini", ScriptFinding{"Disk2", "", false, "m"}),
              "a.ini:Disk2:: warning: m");
    EXPECT_FALSE(HasErrors({ScriptFinding{"s", "k", false, "m"}}));
    EXPECT_TRUE(
        HasErrors({ScriptFinding{"s", "k", false, "m"}, ScriptFinding{"s", "k", true, "m"}}));
}

}  // namespace
