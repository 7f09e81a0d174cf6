// The one list of the display and sound library entries: name, facade name, result and
// parameter types, written once. tools/apigen writes the library headers and the facade
// from it (with the names of entries.txt); the libraries and the tests expand it.
#pragma once

// Row: X(entry, facade name, result, (parameters)). Types are one-token codes:
//   v void, d double, f float, l long, u unsigned long, uc unsigned char, c char,
//   bool bool, s char const*, ws short const*, b bitmap*, bb bitbuf*, p void*,
//   cp void const* (bytes the entry only reads), pu void (*)(void*) (a procedure of the
//   caller that takes the caller's own pointer back),
//   ms text returned by the library and copied by the facade into a mystring,
//   sp disp_sprite const* (how a sprite is drawn: place, turn, scale, pivot, part, mirror),
//   ck unsigned long (*)(void) (a clock: its time in milliseconds).
// Byte-sized parameters (uc, c, bool) reach the entry widened to 32 bits, sign kept.

// Display library: serials 1 to 324; 292 to 306 do not exist.
#define QUIB_DISP_ENTRIES(X)                                   \
  X(sgn1, sgn, l, (d))                                         \
  X(abs2, abs, d, (d, d))                                      \
  X(abs3, abs, d, (d, d, d))                                   \
  X(arcsin4, arcsin, d, (d))                                   \
  X(arccos5, arccos, d, (d))                                   \
  X(arctan26, arctan2, d, (d, d))                              \
  X(i2s7, i2s, ms, (l))                                        \
  X(s2i8, s2i, l, (s))                                         \
  X(as2i9, as2i, l, (s))                                       \
  X(i2hc10, i2hc, c, (uc))                                     \
  X(hc2i11, hc2i, l, (c))                                      \
  X(i2hs12, i2hs, ms, (uc))                                    \
  X(hs2i13, hs2i, u, (s))                                      \
  X(as2hs14, as2hs, ms, (s))                                   \
  X(hs2as15, hs2as, ms, (s))                                   \
  X(i2as16, i2as, ms, (u))                                     \
  X(i2hs17, i2hs, ms, (u))                                     \
  X(NewThread18, newthread, u, (p))                            \
  X(PauseThread19, pausethread, bool, (u))                     \
  X(ResumeThread20, resumethread, bool, (u))                   \
  X(StopThread21, stopthread, bool, (u))                       \
  X(MsgBoxW22, msgboxw, u, (ws, ws, u))                        \
  X(MsgBox23, msgbox, u, (s, s, u))                            \
  X(MsgBoxW24, msgboxw, u, (ws, ws))                           \
  X(MsgBox25, msgbox, u, (s, s))                               \
  X(MsgBoxW26, msgboxw, u, (ws))                               \
  X(MsgBox27, msgbox, u, (s))                                  \
  X(Delay28, delay, v, (u))                                    \
  X(Delay29, delay, v, ())                                     \
  X(Sound30, sound, v, (u, u))                                 \
  X(Sound31, sound, v, (u, d))                                 \
  X(Sound32, sound, v, (u))                                    \
  X(FreshFPS33, freshfps, v, ())                               \
  X(AddFPS34, addfps, v, ())                                   \
  X(GetFPSL35, getfpsl, u, ())                                 \
  X(GetFPSR36, getfpsr, d, ())                                 \
  X(GetFPS37, getfps, u, ())                                   \
  X(GetError38, geterror, u, ())                               \
  X(CreateWin39, createwin, bool, (u, u, u, u, u))             \
  X(CreateWin40, createwin, bool, (u, u, u, u))                \
  X(CreateWin41, createwin, bool, (u, u, u))                   \
  X(CreateWin42, createwin, bool, (u, u))                      \
  X(CreateWin43, createwin, bool, (u))                         \
  X(CreateWin44, createwin, bool, ())                          \
  X(FreshWin45, freshwin, v, ())                               \
  X(CloseWin46, closewin, v, ())                               \
  X(IsWin47, iswin, bool, ())                                  \
  X(SetDrawProcedure48, setdrawprocedure, v, (p))              \
  X(GetTimeR49, gettimer, d, ())                               \
  X(GetTime50, gettime, u, ())                                 \
  X(SetTitle51, settitle, v, (s))                              \
  X(SetTitleW52, settitlew, v, (ws))                           \
  X(GetTitle53, gettitle, ms, ())                              \
  X(GetTitleW54, gettitlew, ws, ())                            \
  X(SetSize55, setsize, v, (u, u))                             \
  X(GetWidth56, getwidth, u, ())                               \
  X(GetHeight57, getheight, u, ())                             \
  X(GetSize58, getsize, u, ())                                 \
  X(GetScrWidth59, getscrwidth, u, ())                         \
  X(GetScrHeight60, getscrheight, u, ())                       \
  X(GetScrSize61, getscrsize, u, ())                           \
  X(GetScrCapsX62, getscrcapsx, u, ())                         \
  X(GetScrCapsY63, getscrcapsy, u, ())                         \
  X(GetBorderTitle64, getbordertitle, u, ())                   \
  X(GetBorderWidth65, getborderwidth, u, ())                   \
  X(GetBorderHeight66, getborderheight, u, ())                 \
  X(GetBorderSize67, getbordersize, u, ())                     \
  X(SetPos68, setpos, v, (u, u))                               \
  X(GetPosX69, getposx, l, ())                                 \
  X(GetPosY70, getposy, l, ())                                 \
  X(GetPos71, getpos, u, ())                                   \
  X(GetWin72, getwin, b, ())                                   \
  X(GetScr73, getscr, b, ())                                   \
  X(GetHwnd74, gethwnd, p, (b))                                \
  X(GetHwnd75, gethwnd, p, ())                                 \
  X(GetDraw76, getdraw, p, (b))                                \
  X(GetDraw77, getdraw, p, ())                                 \
  X(GetBGColor78, getbgcolor, u, ())                           \
  X(SetBGColor79, setbgcolor, v, (u))                          \
  X(GetFGColor80, getfgcolor, u, ())                           \
  X(SetFGColor81, setfgcolor, v, (u))                          \
  X(SetPenWidth82, setpenwidth, v, (u))                        \
  X(SetPenColor83, setpencolor, v, (b, u))                     \
  X(SetPenColor84, setpencolor, v, (u))                        \
  X(SetBrushColor85, setbrushcolor, v, (b, u))                 \
  X(SetBrushColor86, setbrushcolor, v, (u))                    \
  X(GetAlpha87, getalpha, u, (u))                              \
  X(GetBlue88, getblue, u, (u))                                \
  X(GetGreen89, getgreen, u, (u))                              \
  X(GetRed90, getred, u, (u))                                  \
  X(GetRGBA91, getrgba, u, (uc, uc, uc, uc))                   \
  X(GetRGB92, getrgb, u, (uc, uc, uc))                         \
  X(RGB2HSL93, rgb2hsl, u, (u))                                \
  X(RGB2HSV94, rgb2hsv, u, (u))                                \
  X(RGB2HSI95, rgb2hsi, u, (u))                                \
  X(RGB2HSN96, rgb2hsn, u, (u))                                \
  X(HSL2RGB97, hsl2rgb, u, (u))                                \
  X(HSV2RGB98, hsv2rgb, u, (u))                                \
  X(HSI2RGB99, hsi2rgb, u, (u))                                \
  X(HSN2RGB100, hsn2rgb, u, (u))                               \
  X(MixColor101, mixcolor, u, (u, u, u, d))                    \
  X(MixColor102, mixcolor, u, (u, u, u))                       \
  X(SetFont103, setfont, v, (b))                               \
  X(SetFont104, setfont, v, ())                                \
  X(SetFontWidth105, setfontwidth, v, (u))                     \
  X(SetFontHeight106, setfontheight, v, (u))                   \
  X(SetFontSize107, setfontsize, v, (u, u))                    \
  X(SetFontWeight108, setfontweight, v, (u))                   \
  X(SetFontLtalic109, setfontltalic, v, (u))                   \
  X(SetFontUnderLine110, setfontunderline, v, (u))             \
  X(SetFontStrikeOut111, setfontstrikeout, v, (u))             \
  X(SetFontCharSet112, setfontcharset, v, (u))                 \
  X(SetFontName113, setfontname, v, (s))                       \
  X(GetStringSize114, getstringsize, u, (s))                   \
  X(GetStringWidth115, getstringwidth, u, (s))                 \
  X(GetStringHeight116, getstringheight, u, (s))               \
  X(DrawTextXY117, drawtextxy, v, (b, s, l, l, u, u, u, u))    \
  X(DrawTextXY118, drawtextxy, v, (b, s, l, l, u, u))          \
  X(DrawTextXY119, drawtextxy, v, (b, s, l, l, u))             \
  X(DrawTextXY120, drawtextxy, v, (s, l, l, u, u))             \
  X(DrawTextXY121, drawtextxy, v, (s, l, l, u))                \
  X(DrawTextXY122, drawtextxy, v, (s, u, u))                   \
  X(DrawText123, drawtext, v, (s, u, u))                       \
  X(DrawText124, drawtext, v, (s, u))                          \
  X(DrawText125, drawtext, v, (s))                             \
  X(DrawTextlnXY126, drawtextlnxy, v, (s, l, l, u, u))         \
  X(DrawTextlnXY127, drawtextlnxy, v, (s, l, l, u))            \
  X(DrawTextlnXY128, drawtextlnxy, v, (s, u, u))               \
  X(DrawTextln129, drawtextln, v, (s, u, u))                   \
  X(DrawTextln130, drawtextln, v, (s, u))                      \
  X(DrawTextln131, drawtextln, v, (s))                         \
  X(DrawTextln132, drawtextln, v, ())                          \
  X(DrawTextXYw133, drawtextxyw, v, (b, s, l, l, u, u))        \
  X(DrawTextXYw134, drawtextxyw, v, (b, s, l, l, u))           \
  X(DrawTextXYw135, drawtextxyw, v, (s, l, l, u, u))           \
  X(DrawTextXYw136, drawtextxyw, v, (s, l, l, u))              \
  X(DrawTextXYw137, drawtextxyw, v, (s, u, u))                 \
  X(DrawTextw138, drawtextw, v, (s, u, u))                     \
  X(DrawTextw139, drawtextw, v, (s, u))                        \
  X(DrawTextw140, drawtextw, v, (s))                           \
  X(DrawTextlnXYw141, drawtextlnxyw, v, (s, l, l, u, u))       \
  X(DrawTextlnXYw142, drawtextlnxyw, v, (s, l, l, u))          \
  X(DrawTextlnXYw143, drawtextlnxyw, v, (s, u, u))             \
  X(DrawTextlnw144, drawtextlnw, v, (s, u, u))                 \
  X(DrawTextlnw145, drawtextlnw, v, (s, u))                    \
  X(DrawTextlnw146, drawtextlnw, v, (s))                       \
  X(GetPixel147, getpixel, u, (b, u, u))                       \
  X(GetPixel148, getpixel, u, (u, u))                          \
  X(SetPixel149, setpixel, v, (b, u, u, u))                    \
  X(SetPixel150, setpixel, v, (u, u, u))                       \
  X(SetPixel151, setpixel, v, (u, u))                          \
  X(GetBBPixel152, getbbpixel, u, (bb, u, u))                  \
  X(SetBBPixel153, setbbpixel, v, (bb, u, u, u))               \
  X(Line154, line, v, (b, l, l, l, l, u))                      \
  X(Line155, line, v, (l, l, l, l, u))                         \
  X(Line156, line, v, (l, l, l, l))                            \
  X(Bar157, bar, v, (b, l, l, l, l, u, u))                     \
  X(Bar158, bar, v, (l, l, l, l, u, u))                        \
  X(Bar159, bar, v, (l, l, l, l, u))                           \
  X(Bar160, bar, v, (l, l, l, l))                              \
  X(Clear161, clear, v, (b, u))                                \
  X(Clear162, clear, v, (b))                                   \
  X(Clear163, clear, v, (u))                                   \
  X(Clear164, clear, v, ())                                    \
  X(Triangle165, triangle, v, (b, l, l, l, l, l, l, u, u))     \
  X(Triangle166, triangle, v, (l, l, l, l, l, l, u, u))        \
  X(Triangle167, triangle, v, (l, l, l, l, l, l, u))           \
  X(Triangle168, triangle, v, (l, l, l, l, l, l))              \
  X(Arc169, arc, v, (b, l, l, l, l, d, d, u, u))               \
  X(Arc170, arc, v, (l, l, l, l, d, d, u, u))                  \
  X(Arc171, arc, v, (l, l, l, l, d, d, u))                     \
  X(Arc172, arc, v, (l, l, l, l, d, d))                        \
  X(Pie173, pie, v, (b, l, l, l, l, d, d, u, u))               \
  X(Pie174, pie, v, (l, l, l, l, d, d, u, u))                  \
  X(Pie175, pie, v, (l, l, l, l, d, d, u))                     \
  X(Pie176, pie, v, (l, l, l, l, d, d))                        \
  X(Chord177, chord, v, (b, l, l, l, l, d, d, u, u))           \
  X(Chord178, chord, v, (l, l, l, l, d, d, u, u))              \
  X(Chord179, chord, v, (l, l, l, l, d, d, u))                 \
  X(Chord180, chord, v, (l, l, l, l, d, d))                    \
  X(Ellipse181, ellipse, v, (b, l, l, l, l, u, u))             \
  X(Ellipse182, ellipse, v, (l, l, l, l, u, u))                \
  X(Ellipse183, ellipse, v, (l, l, l, l, u))                   \
  X(Ellipse184, ellipse, v, (l, l, l, l))                      \
  X(Circle185, circle, v, (b, l, l, l, u, u))                  \
  X(Circle186, circle, v, (l, l, l, u, u))                     \
  X(Circle187, circle, v, (l, l, l, u))                        \
  X(Circle188, circle, v, (l, l, l))                           \
  X(CreateBMP189, createbmp, b, (b, u, u, u))                  \
  X(CreateBMP190, createbmp, b, (b))                           \
  X(CreateBMP191, createbmp, b, (u, u, u))                     \
  X(CreateBMP192, createbmp, b, (u, u))                        \
  X(CreateBMP193, createbmp, b, ())                            \
  X(ReleaseBMP194, releasebmp, v, (b))                         \
  X(ReleaseBMP195, releasebmp, v, ())                          \
  X(LoadBMP196, loadbmp, b, (s, u))                            \
  X(LoadBMP197, loadbmp, b, (s))                               \
  X(SaveBMP198, savebmp, bool, (b, s))                         \
  X(DrawBMP199, drawbmp, v, (b, b, u, u, u, u, u, u, u, u, u)) \
  X(DrawBMP200, drawbmp, v, (b, b, u, u, u, u, u, u, u, u))    \
  X(DrawBMP201, drawbmp, v, (b, b, u, u, u, u, u, u, u))       \
  X(DrawBMP202, drawbmp, v, (b, b, u, u, u, u, u, u))          \
  X(DrawBMP203, drawbmp, v, (b, b, u, u, u, u, u))             \
  X(DrawBMP204, drawbmp, v, (b, b, u, u, u, u))                \
  X(DrawBMP205, drawbmp, v, (b, b, u, u, u))                   \
  X(DrawBMP206, drawbmp, v, (b, b, u, u))                      \
  X(DrawBMP207, drawbmp, v, (b, b, u))                         \
  X(DrawBMP208, drawbmp, v, (b, b))                            \
  X(DrawBMP209, drawbmp, v, (b, u, u, u, u, u, u, u, u, u))    \
  X(DrawBMP210, drawbmp, v, (b, u, u, u, u, u, u, u, u))       \
  X(DrawBMP211, drawbmp, v, (b, u, u, u, u, u, u, u))          \
  X(DrawBMP212, drawbmp, v, (b, u, u, u, u, u, u))             \
  X(DrawBMP213, drawbmp, v, (b, u, u, u, u, u))                \
  X(DrawBMP214, drawbmp, v, (b, u, u, u, u))                   \
  X(DrawBMP215, drawbmp, v, (b, u, u, u))                      \
  X(DrawBMP216, drawbmp, v, (b, u, u))                         \
  X(DrawBMP217, drawbmp, v, (b, u))                            \
  X(DrawBMP218, drawbmp, v, (b))                               \
  X(DrawBMP219, drawbmp, v, (u, u, u, u, u, u, u, u, u))       \
  X(DrawBMP220, drawbmp, v, (u, u, u, u, u, u, u, u))          \
  X(DrawBMP221, drawbmp, v, (u, u, u, u, u, u, u))             \
  X(DrawBMP222, drawbmp, v, (u, u, u, u, u, u))                \
  X(DrawBMP223, drawbmp, v, (u, u, u, u, u))                   \
  X(DrawBMP224, drawbmp, v, (u, u, u, u))                      \
  X(DrawBMP225, drawbmp, v, (u, u, u))                         \
  X(DrawBMP226, drawbmp, v, (u, u))                            \
  X(DrawBMP227, drawbmp, v, (u))                               \
  X(DrawBMP228, drawbmp, v, ())                                \
  X(MixBMP229, mixbmp, v, (b, b, b))                           \
  X(BlurBMPBox230, blurbmpbox, v, (b, u, u))                   \
  X(BlurBMPBox231, blurbmpbox, v, (b, u))                      \
  X(BlurBMPGau232, blurbmpgau, v, (b, d))                      \
  X(CreateBB233, createbb, bb, (b))                            \
  X(ReleaseBB234, releasebb, v, (bb))                          \
  X(GetBB235, getbb, v, (bb))                                  \
  X(SetBB236, setbb, v, (bb))                                  \
  X(MixBB237, mixbb, v, (bb, bb, bb))                          \
  X(BlurBBBox238, blurbbbox, v, (bb, u, u))                    \
  X(BlurBBGau239, blurbbgau, v, (bb, d))                       \
  X(PressKey240, presskey, v, (uc, u))                         \
  X(PressKey241, presskey, v, (uc))                            \
  X(DownKey242, downkey, v, (uc))                              \
  X(UpKey243, upkey, v, (uc))                                  \
  X(PressMouse244, pressmouse, v, (uc, u))                     \
  X(PressMouse245, pressmouse, v, (uc))                        \
  X(DownMouse246, downmouse, v, (uc))                          \
  X(UpMouse247, upmouse, v, (uc))                              \
  X(WheelMouse248, wheelmouse, v, (l))                         \
  X(MoveMouse249, movemouse, v, (l, l))                        \
  X(MoveMouseAbs250, movemouseabs, v, (l, l))                  \
  X(MoveMouseWin251, movemousewin, v, (l, l))                  \
  X(MoveMousePos252, movemousepos, v, (l, l))                  \
  X(SendMsg253, sendmsg, v, ())                                \
  X(IsNextMsg254, isnextmsg, bool, ())                         \
  X(GetNextMsg255, getnextmsg, u, ())                          \
  X(WaitNextMsg256, waitnextmsg, u, ())                        \
  X(IsMsg257, ismsg, bool, (u))                                \
  X(GetMsg258, getmsg, u, (u))                                 \
  X(WaitMsg259, waitmsg, u, (u))                               \
  X(IsKey260, iskey, bool, (u))                                \
  X(IsKey261, iskey, bool, ())                                 \
  X(GetKey262, getkey, u, ())                                  \
  X(WaitKey263, waitkey, u, (u))                               \
  X(WaitKey264, waitkey, u, ())                                \
  X(IsMouse265, ismouse, bool, (u))                            \
  X(IsMouse266, ismouse, bool, ())                             \
  X(GetMouse267, getmouse, u, ())                              \
  X(WaitMouse268, waitmouse, u, (u))                           \
  X(WaitMouse269, waitmouse, u, ())                            \
  X(IsMouseLeft270, ismouseleft, bool, ())                     \
  X(WaitMouseLeft271, waitmouseleft, v, ())                    \
  X(IsMouseMiddle272, ismousemiddle, bool, ())                 \
  X(WaitMouseMiddle273, waitmousemiddle, v, ())                \
  X(IsMouseRight274, ismouseright, bool, ())                   \
  X(WaitMouseRight275, waitmouseright, v, ())                  \
  X(IsMouseWheel276, ismousewheel, bool, ())                   \
  X(GetMouseWheel277, getmousewheel, l, ())                    \
  X(WaitMouseWheel278, waitmousewheel, l, ())                  \
  X(IsMouseMove279, ismousemove, bool, ())                     \
  X(GetMouseMove280, getmousemove, u, ())                      \
  X(WaitMouseMove281, waitmousemove, u, ())                    \
  X(IsDropFile282, isdropfile, bool, ())                       \
  X(GetDropFile283, getdropfile, ms, ())                       \
  X(GetDropFileW284, getdropfilew, ws, ())                     \
  X(WaitDropFile285, waitdropfile, ms, ())                     \
  X(GetMouseAbsX286, getmouseabsx, l, ())                      \
  X(GetMouseAbsY287, getmouseabsy, l, ())                      \
  X(GetMouseWinX288, getmousewinx, l, ())                      \
  X(GetMouseWinY289, getmousewiny, l, ())                      \
  X(GetMousePosX290, getmouseposx, l, ())                      \
  X(GetMousePosY291, getmouseposy, l, ())                      \
  X(IsFile307, isfile, bool, (s))                              \
  X(NewFile308, newfile, bool, (s))                            \
  X(NewDir309, newdir, bool, (s))                              \
  X(CopyFile310, copyfile, bool, (s, s))                       \
  X(MoveFile311, movefile, bool, (s, s))                       \
  X(DeleteFile312, deletefile, bool, (s))                      \
  X(OpenFile313, openfile, bool, (s))                          \
  X(OpenFileW314, openfilew, bool, (ws))                       \
  X(CloseFile315, closefile, v, ())                            \
  X(GetFileLen316, getfilelen, u, ())                          \
  X(GetFilePos317, getfilepos, u, ())                          \
  X(SetFilePos318, setfilepos, v, (u))                         \
  X(GetByte319, getbyte, u, ())                                \
  X(GetWord320, getword, u, ())                                \
  X(GetLongword321, getlongword, u, ())                        \
  X(GetInteger322, getinteger, l, ())                          \
  X(GetPchar323, getpchar, s, ())                              \
  X(GetString324, getstring, ms, (u))

// Sound library: serials 1 to 26.
#define QUIB_SOUND_ENTRIES(X)                \
  X(InitAudio1, initaudio, bool, ())         \
  X(NewAudio2, newaudio, u, ())              \
  X(LoadAudio3, loadaudio, u, (s))           \
  X(LoadAudio4, loadaudio, u, (s, bool))     \
  X(LoadAudio5, loadaudio, u, (u, s))        \
  X(LoadAudio6, loadaudio, u, (u, s, bool))  \
  X(FreeAudio7, freeaudio, u, (u))           \
  X(PlayAudio8, playaudio, u, (u))           \
  X(PlayAudio9, playaudio, u, (u, f))        \
  X(PauseAudio10, pauseaudio, u, (u))        \
  X(StopAudio11, stopaudio, u, (u))          \
  X(GetAudioName12, getaudioname, ms, (u))   \
  X(GetAudioSit13, getaudiosit, l, (u))      \
  X(GetAudioLen14, getaudiolen, d, (u))      \
  X(GetAudioPos15, getaudiopos, d, (u))      \
  X(GetAudioVol16, getaudiovol, f, (u))      \
  X(GetAudioSpd17, getaudiospd, f, (u))      \
  X(GetAudioPch18, getaudiopch, f, (u))      \
  X(GetAudioFrq19, getaudiofrq, f, (u))      \
  X(SetAudioName20, setaudioname, u, (u, s)) \
  X(SetAudioSit21, setaudiosit, u, (u, l))   \
  X(SetAudioPos22, setaudiopos, u, (u, f))   \
  X(SetAudioVol23, setaudiovol, u, (u, f))   \
  X(SetAudioSpd24, setaudiospd, u, (u, f))   \
  X(SetAudioPch25, setaudiopch, u, (u, f))   \
  X(SetAudioFrq26, setaudiofrq, u, (u, f))

// ---- Our extensions ----------------------------------------------------------------
// Entries beyond the serial-numbered set, named <library>_<what> so that they are never
// taken for one of it. Same row form as above; each family keeps a block of its own.
#define QUIB_DISP_EXTENSIONS(X) \
  QUIB_DISP_EXT_ERRORS(X)       \
  QUIB_DISP_EXT_WINDOW(X)       \
  QUIB_DISP_EXT_ICON(X)         \
  QUIB_DISP_EXT_DRAW(X)         \
  QUIB_DISP_EXT_CALLBACKS(X)    \
  QUIB_DISP_EXT_WRITE(X)        \
  QUIB_DISP_EXT_INPUT(X)        \
  QUIB_DISP_EXT_ALPHA(X)        \
  QUIB_DISP_EXT_TEXTINPUT(X)    \
  QUIB_DISP_EXT_PAD(X)          \
  QUIB_DISP_EXT_TEXT(X)         \
  QUIB_DISP_EXT_SPRITE(X)       \
  QUIB_DISP_EXT_JPEG(X)

// The text of the calling thread's last error, kept after GetError38 clears the code until
// the next failure ("" before any).
#define QUIB_DISP_EXT_ERRORS(X) X(disp_errortext, geterrortext, ms, ()) QUIB_DISP_EXT_HOOKS(X)

// Who is told of each failure as it happens; where the library's diagnostic lines go
// (stderr unless a program says otherwise).
#define QUIB_DISP_EXT_HOOKS(X)                          \
  X(disp_seterrorwatch, watchdisplayerrors, v, (ef, p)) \
  X(disp_setlog, setdisplaylog, v, (lf, p))

// Desktop full screen on or off; whether it is on; whether the display connection was
// lost (the window is then gone for good); whether the mouse pointer hides while the
// window is full screen.
#define QUIB_DISP_EXT_WINDOW(X)                   \
  X(disp_setfullscreen, setfullscreen, v, (bool)) \
  X(disp_isfullscreen, isfullscreen, bool, ())    \
  X(disp_islost, isdisplaylost, bool, ())         \
  X(disp_hidecursorinfullscreen, hidecursorinfullscreen, v, (bool))

// The window's icon: a copy of the bitmap's pixels, shown by the window and by every
// window opened later (headless: only kept).
#define QUIB_DISP_EXT_ICON(X) X(disp_seticon, seticon, v, (b))

// Antialiasing of a target's shapes, on by default; off, lines, rectangles and circles
// have hard edges and are written straight into the pixels.
#define QUIB_DISP_EXT_DRAW(X)                   \
  X(disp_setantialias, setantialias, v, (bool)) \
  X(disp_setbmpantialias, setantialias, v, (b, bool))

// A thread that runs fn(user), and the window's draw procedure as fn(user): the procedure
// gets the caller's pointer back, and needs no cast from a typed function.
#define QUIB_DISP_EXT_CALLBACKS(X)             \
  X(disp_newthreadwith, newthread, u, (pu, p)) \
  X(disp_setdrawprocedurewith, setdrawprocedure, v, (pu, p))

// Writing files: the bytes (or the text) replace what the file held, or are added at its
// end; true when every byte reached the file.
#define QUIB_DISP_EXT_WRITE(X)                     \
  X(disp_writefile, writefile, bool, (s, cp, u))   \
  X(disp_appendfile, appendfile, bool, (s, cp, u)) \
  X(disp_writetext, writetext, bool, (s, s))       \
  X(disp_appendtext, appendtext, bool, (s, s))

// Held keys and buttons: whether a key or button is down now (as the messages taken so
// far tell); whether the current key press is an auto-repeat; the key a release lets go.
#define QUIB_DISP_EXT_INPUT(X)                  \
  X(disp_iskeydown, iskeydown, bool, (u))       \
  X(disp_isbuttondown, isbuttondown, bool, (u)) \
  X(disp_isrepeat, isrepeat, bool, ())          \
  X(disp_getkeyup, getkeyup, u, ())

// Typed text: text input on and off (text and composition messages come while it is on),
// where the program's text box is, the text the current message typed, the input method's
// composition and its caret; the clipboard and the primary selection as UTF-8 text.
#define QUIB_DISP_EXT_TEXTINPUT(X)                         \
  X(disp_starttextinput, starttextinput, v, ())            \
  X(disp_stoptextinput, stoptextinput, v, ())              \
  X(disp_istextinput, istextinput, bool, ())               \
  X(disp_settextrect, settextrect, v, (l, l, l, l))        \
  X(disp_gettypedtext, gettypedtext, ms, ())               \
  X(disp_getcomposition, getcomposition, ms, ())           \
  X(disp_getcompositioncaret, getcompositioncaret, l, ())  \
  X(disp_getclipboard, getclipboard, ms, ())               \
  X(disp_setclipboard, setclipboard, bool, (s))            \
  X(disp_getprimaryselection, getprimaryselection, ms, ()) \
  X(disp_setprimaryselection, setprimaryselection, bool, (s))

// Bitmaps with alpha: a new transparent one, or one made transparent again; PNG files read
// into a bitmap (with alpha when the file has it) and written from one.
#define QUIB_DISP_EXT_ALPHA(X)                       \
  X(disp_cleartransparent, cleartransparent, v, (b)) \
  X(disp_createbmpalpha, createbmpalpha, b, (u, u))  \
  X(disp_loadpng, loadpng, b, (s))                   \
  X(disp_savepng, savepng, bool, (b, s))

// Gamepads by index (buttons QUIB_PAD_..., axes QUIB_PADAXIS_... of <keys.h>): how many
// indexes are in use, whether a pad is plugged in at one, its name, a button held, an
// axis past the dead zone, the dead zone, rumble; the pad and button of the current pad
// message; the buttons the program turns into key messages (none until it sets them).
#define QUIB_DISP_EXT_PAD(X)                             \
  X(disp_padcount, padcount, u, ())                      \
  X(disp_ispad, ispad, bool, (u))                        \
  X(disp_padname, getpadname, ms, (u))                   \
  X(disp_ispadbuttondown, ispadbuttondown, bool, (u, u)) \
  X(disp_getpadaxis, getpadaxis, d, (u, u))              \
  X(disp_setpaddeadzone, setpaddeadzone, v, (d))         \
  X(disp_rumblepad, rumblepad, bool, (u, d, d, u))       \
  X(disp_getpad, getpad, l, ())                          \
  X(disp_getpadbutton, getpadbutton, u, ())              \
  X(disp_mappadbutton, mappadbutton, v, (u, u, bool))    \
  X(disp_mappadchord, mappadchord, v, (u, u, u))

// Fonts from files: a .ttf or .otf added for the run, giving the family name it holds
// (for setfontname); the language of text from now on, as a tag ("zh-CN", "sr").
#define QUIB_DISP_EXT_TEXT(X)         \
  X(disp_loadfont, loadfont, ms, (s)) \
  X(disp_setfontlanguage, setfontlanguage, v, (s))

// Sprites and how things meet the picture: a bitmap (or part) turned, scaled and mirrored
// onto a bitmap or the window; colours whose top byte is their opacity, per target (off by
// default); the blend mode of a target's shapes, text and bitmaps (0 normal, 1 add,
// 2 multiply).
#define QUIB_DISP_EXT_SPRITE(X)                         \
  X(disp_drawsprite, drawsprite, v, (b, b, sp))         \
  X(disp_drawspriteonwin, drawsprite, v, (b, sp))       \
  X(disp_setcoloralpha, setcoloralpha, v, (bool))       \
  X(disp_setbmpcoloralpha, setcoloralpha, v, (b, bool)) \
  X(disp_setblend, setblend, v, (u))                    \
  X(disp_setbmpblend, setblend, v, (b, u))

// JPEG files read into an opaque bitmap (libjpeg-turbo).
#define QUIB_DISP_EXT_JPEG(X) X(disp_loadjpeg, loadjpeg, b, (s))

#define QUIB_SOUND_EXTENSIONS(X) QUIB_SOUND_EXT_ERRORS(X)

// The code of the calling thread's last libsound error (cleared by reading it, as
// GetError38 is), and its text ("" when there is none); who is told of each failure; where
// the library's diagnostic lines go; the program's clock, which sounds keep on a virtual clock.
#define QUIB_SOUND_EXT_ERRORS(X)          \
  X(sound_geterror, getsounderror, u, ()) \
  X(sound_errortext, getsounderrortext, ms, ()) QUIB_SOUND_EXT_HOOKS(X)
#define QUIB_SOUND_EXT_HOOKS(X)                        \
  X(sound_seterrorwatch, watchsounderrors, v, (ef, p)) \
  X(sound_setlog, setsoundlog, v, (lf, p))             \
  X(sound_setclock, setsoundclock, v, (ck))

// ---- Expansion helpers -------------------------------------------------------------

#define QUIB_CAT(a, b) QUIB_CAT_(a, b)
#define QUIB_CAT_(a, b) a##b
#define QUIB_APPLY(m, args) m args
#define QUIB_UNPACK(...) __VA_ARGS__

#define QUIB_NARGS(...) \
  QUIB_NARGS_(__VA_OPT__(__VA_ARGS__, ) 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define QUIB_NARGS_(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, n, ...) n

// QUIB_PARAMS(qe_, (d, u)) -> qe_d a1, qe_u a2 ; QUIB_ARGS((d, u)) -> a1, a2
#define QUIB_PARAMS(pre, types) \
  QUIB_APPLY(QUIB_CAT(QUIB_P_, QUIB_NARGS types), (pre, QUIB_UNPACK types))
#define QUIB_ARGS(types) QUIB_CAT(QUIB_A_, QUIB_NARGS types)

#define QUIB_P_0(p, ...)
#define QUIB_P_1(p, t1) p##t1 a1
#define QUIB_P_2(p, t1, t2) QUIB_P_1(p, t1), p##t2 a2
#define QUIB_P_3(p, t1, t2, t3) QUIB_P_2(p, t1, t2), p##t3 a3
#define QUIB_P_4(p, t1, t2, t3, t4) QUIB_P_3(p, t1, t2, t3), p##t4 a4
#define QUIB_P_5(p, t1, t2, t3, t4, t5) QUIB_P_4(p, t1, t2, t3, t4), p##t5 a5
#define QUIB_P_6(p, t1, t2, t3, t4, t5, t6) QUIB_P_5(p, t1, t2, t3, t4, t5), p##t6 a6
#define QUIB_P_7(p, t1, t2, t3, t4, t5, t6, t7) QUIB_P_6(p, t1, t2, t3, t4, t5, t6), p##t7 a7
#define QUIB_P_8(p, t1, t2, t3, t4, t5, t6, t7, t8) \
  QUIB_P_7(p, t1, t2, t3, t4, t5, t6, t7), p##t8 a8
#define QUIB_P_9(p, t1, t2, t3, t4, t5, t6, t7, t8, t9) \
  QUIB_P_8(p, t1, t2, t3, t4, t5, t6, t7, t8), p##t9 a9
#define QUIB_P_10(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10) \
  QUIB_P_9(p, t1, t2, t3, t4, t5, t6, t7, t8, t9), p##t10 a10
#define QUIB_P_11(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10, t11) \
  QUIB_P_10(p, t1, t2, t3, t4, t5, t6, t7, t8, t9, t10), p##t11 a11

#define QUIB_A_0
#define QUIB_A_1 a1
#define QUIB_A_2 a1, a2
#define QUIB_A_3 a1, a2, a3
#define QUIB_A_4 a1, a2, a3, a4
#define QUIB_A_5 a1, a2, a3, a4, a5
#define QUIB_A_6 a1, a2, a3, a4, a5, a6
#define QUIB_A_7 a1, a2, a3, a4, a5, a6, a7
#define QUIB_A_8 a1, a2, a3, a4, a5, a6, a7, a8
#define QUIB_A_9 a1, a2, a3, a4, a5, a6, a7, a8, a9
#define QUIB_A_10 a1, a2, a3, a4, a5, a6, a7, a8, a9, a10
#define QUIB_A_11 a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11

// ---- Types as the libraries see them -----------------------------------------------

struct bitmap;       // a drawing surface: the window's picture or an off-screen one
struct bitbuf;       // a pixel buffer made from a bitmap
struct disp_sprite;  // how a sprite is drawn (disp.h)

// Parameter types at the entry (bytes widened to 32 bits) ...
typedef void qe_v;
typedef double qe_d;
typedef float qe_f;
typedef long qe_l;
typedef unsigned long qe_u;
typedef unsigned int qe_uc;
typedef int qe_c;
typedef int qe_bool;
typedef char const* qe_s;
typedef short const* qe_ws;
typedef bitmap* qe_b;
typedef bitbuf* qe_bb;
typedef void* qe_p;
typedef void const* qe_cp;
typedef disp_sprite const* qe_sp;
typedef void (*qe_pu)(void*);
typedef void (*qe_lf)(void* user, char const* line);  // a log line, without its newline
typedef void (*qe_ef)(void* user, unsigned long code, char const* text);  // a failure
typedef unsigned long (*qe_ck)(void);  // a clock: its time in milliseconds
// ... and result types of the entries.
typedef void qr_v;
typedef double qr_d;
typedef float qr_f;
typedef long qr_l;
typedef unsigned long qr_u;
typedef bool qr_bool;
typedef char qr_c;
typedef void* qr_p;
typedef char const* qr_s;
typedef char const* qr_ms;
typedef short const* qr_ws;
typedef bitmap* qr_b;
typedef bitbuf* qr_bb;

// Declares one entry with C linkage: QUIB_DECLARE_ENTRY(abs2, abs, d, (d, d)).
#define QUIB_DECLARE_ENTRY(entry, name, ret, types) \
  extern "C" qr_##ret entry(QUIB_PARAMS(qe_, types));
