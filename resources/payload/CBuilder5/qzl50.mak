# ---------------------------------------------------------------------------
# Orvane library 4.07 - run-time package for C++Builder 5
# ---------------------------------------------------------------------------
VERSION = BCB.05.03
PROJECT = qzl50.bpl
OBJFILES = Obj\qzl50.obj \
    Obj\qzlConsts.obj \
    Obj\qzlUtils.obj \
    Obj\qzlStorage.obj \
    Obj\qzlIniStorage.obj \
    Obj\qzlRegStorage.obj \
    Obj\qzlXmlStorage.obj \
    Obj\qzlFormPlacement.obj \
    Obj\qzlPropSaver.obj \
    Obj\qzlStrHolder.obj \
    Obj\qzlCrypt.obj
RESFILES = qzl50.res
PACKAGES = vcl50.bpi
PATHCPP = .;
PATHPAS = .;..\Source
OBJDIR = Obj
USERDEFINES = _DEBUG
PFLAGS = -N2Obj -N0Obj -$Y- -$L- -$D- -JPHNE -M
CFLAG1 = -O2 -H=$(BCB)\lib\vcl50.csm -Hc -Vx -Ve -X- -a8 -b- -k- -vi -c -tWM
LFLAGS = -D"Orvane library" -aa -Tpp -Gpr -x -Gn -Gl -Gi
# ---------------------------------------------------------------------------
!ifdef IDEOPTIONS
[Version Info]
IncludeVerInfo=1
!endif
# ---------------------------------------------------------------------------
$(PROJECT): $(OBJFILES) $(RESFILES)
    $(BCB)\BIN\ilink32 @&&!
    $(LFLAGS) $(OBJFILES), $(PROJECT),, $(PACKAGES)
!
.pas.obj:
    $(BCB)\BIN\dcc32 $(PFLAGS) -U$(PATHPAS) {$< }
.cpp.obj:
    $(BCB)\BIN\bcc32 $(CFLAG1) -n$(OBJDIR) {$< }
