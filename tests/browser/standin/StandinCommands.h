#pragma once
/* What a test sends to the stand-in view's window with WM_COPYDATA, as a person would act
 * on a page: COPYDATASTRUCT.dwData is one of these, lpData holds UTF-16 text (no
 * terminator needed). Links are numbered from 1 as the view draws them. */

/* Click link N (text: "N"). A link with target="_blank" asks for a new window. */
#define STANDIN_COMMAND_CLICK_LINK 1
/* Move the pointer over link N (text: "N"); "0" moves it off every link. */
#define STANDIN_COMMAND_HOVER_LINK 2
/* Run a script the way a click on the page would (a user gesture), e.g. "history.go(-1);". */
#define STANDIN_COMMAND_SCRIPT_BY_GESTURE 3
/* Run a script the way the page would by itself, without a gesture. */
#define STANDIN_COMMAND_SCRIPT_BY_ITSELF 4

/* The class of the view's window, a child of the controller's parent. */
#define STANDIN_VIEW_CLASS L"ReelvaultStandinWebView"
