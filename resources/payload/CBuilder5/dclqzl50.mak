# ---------------------------------------------------------------------------
# Orvane library 4.07 - design-time package for C++Builder 5
# ---------------------------------------------------------------------------
VERSION = BCB.05.03
PROJECT = dclqzl50.bpl
OBJFILES = Obj\dclqzl50.obj \
    Obj\qzlReg.obj \
    Obj\qzlPropEds.obj \
    Obj\qzlStrEdit.obj \
    Obj\qzlAboutEd.obj \
    Obj\qzlStorageEd.obj
RESFILES = dclqzl50.res
PACKAGES = vcl50.bpi dclstd50.bpi qzl50.bpi
PATHCPP = .;
PATHPAS = .;..\Source
OBJDIR = Obj
USERDEFINES = _DEBUG
PFLAGS = -N2Obj -N0Obj -$Y- -$L- -$D- -JPHNE -M
CFLAG1 = -O2 -H=$(BCB)\lib\vcl50.csm -Hc -Vx -Ve -X- -a8 -b- -k- -vi -c -tWM
LFLAGS = -D"Orvane library design-time" -aa -Tpp -Gpr -x -Gn -Gl -Gi
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
