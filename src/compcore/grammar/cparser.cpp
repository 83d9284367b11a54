/*
 * A n t l r  T r a n s l a t i o n  H e a d e r
 *
 * Terence Parr, Will Cohen, and Hank Dietz: 1989-2001
 * Purdue University Electrical Engineering
 * With AHPCRC, University of Minnesota
 * ANTLR Version 1.33MR33
 *
 *   antlr -CC -k 2 -gt -o . /work/wt-parser/src/compcore/grammar/cparser.g
 *
 */

#define ANTLR_VERSION	13333
#include "pcctscfg.h"
#include "pccts_stdio.h"
#include "tokens.h"

#include "compcore/cc_ast.h"
#include "compcore/cc_parse_hooks.h"
#include <cstdarg>
#include <cstdint>
#define EXCEPTION_HANDLING
#define NUM_SIGNALS 3
#include "ASTBase.h"

#include "AParser.h"
#include "CParser.h"
#include "DLexerBase.h"
#include "ATokPtr.h"

/* MR23 In order to remove calls to PURIFY use the antlr -nopurify option */

#ifndef PCCTS_PURIFY
#define PCCTS_PURIFY(r,s) memset((char *) &(r),'\0',(s));
#endif


void CParser::
zzdflthandlers( int _signal, int *_retsignal )
{
  *_retsignal = _signal;
}


void
CParser::expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t13=NULL;
  AST *_ast11=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  assignment_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      assignment_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  zzmatch_wsig(RPARENTHESIS, _handler);  
  if ( !guessing ) {
   _t13 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast13 = new AST(_t13);
  _ast13->subchild(_root, &_sibling, &_tail);
    }
   consume();
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd1, 0x1);
  return;
  /* exception handlers */
_handler:
  switch ( _signal ) {
  case NoSignal: break;  /* MR7 */
  default :
    consumeUntilToken(RPARENTHESIS); syntaxErrCount++; suppressSignal;   
    _signal=NoSignal;  /* MR7 */
    break;  /* MR7 */
  }
  return;
}

void
CParser::assignment_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast14=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzGUESS_BLOCK
  zzGUESS
  if ( !zzrv && (setwd1[LA(1)]&0x2) && (setwd1[LA(2)]&0x4) ) {
    {
      AST *_ast21=NULL,*_ast22=NULL;
      _ast = NULL;
      unary_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast21 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
      _ast = NULL;
      assignment_operator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    zzGUESS_DONE
    _ast = NULL;
    unary_expression(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast12 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
    {
      ANTLRTokenPtr _t21=NULL;
      AST *_ast21=NULL;
      if ( (LA(1)==ASSIGNEQUAL) ) {
        zzmatch_wsig(ASSIGNEQUAL, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subroot(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( (LA(1)==TIMESEQUAL) ) {
          zzmatch_wsig(TIMESEQUAL, _handler);          
          if ( !guessing ) {
           _t21 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast21 = new AST(_t21);
          _ast21->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==DIVIDEEQUAL)
 ) {
            zzmatch_wsig(DIVIDEEQUAL, _handler);            
            if ( !guessing ) {
             _t21 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast21 = new AST(_t21);
            _ast21->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==MODEQUAL) ) {
              zzmatch_wsig(MODEQUAL, _handler);              
              if ( !guessing ) {
               _t21 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast21 = new AST(_t21);
              _ast21->subroot(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( (LA(1)==PLUSEQUAL) ) {
                zzmatch_wsig(PLUSEQUAL, _handler);                
                if ( !guessing ) {
                 _t21 = (ANTLRTokenPtr)LT(1);
                }
if ( !guessing ) {
                
                _ast21 = new AST(_t21);
                _ast21->subroot(_root, &_sibling, &_tail);
                                }
                 consume();
              }
              else {
                if ( (LA(1)==MINUSEQUAL) ) {
                  zzmatch_wsig(MINUSEQUAL, _handler);                  
                  if ( !guessing ) {
                   _t21 = (ANTLRTokenPtr)LT(1);
                  }
if ( !guessing ) {
                  
                  _ast21 = new AST(_t21);
                  _ast21->subroot(_root, &_sibling, &_tail);
                                    }
                   consume();
                }
                else {
                  if ( (LA(1)==SHIFTLEFTEQUAL) ) {
                    zzmatch_wsig(SHIFTLEFTEQUAL, _handler);                    
                    if ( !guessing ) {
                     _t21 = (ANTLRTokenPtr)LT(1);
                    }
if ( !guessing ) {
                    
                    _ast21 = new AST(_t21);
                    _ast21->subroot(_root, &_sibling, &_tail);
                                        }
                     consume();
                  }
                  else {
                    if ( (LA(1)==SHIFTRIGHTEQUAL)
 ) {
                      zzmatch_wsig(SHIFTRIGHTEQUAL, _handler);                      
                      if ( !guessing ) {
                       _t21 = (ANTLRTokenPtr)LT(1);
                      }
if ( !guessing ) {
                      
                      _ast21 = new AST(_t21);
                      _ast21->subroot(_root, &_sibling, &_tail);
                                            }
                       consume();
                    }
                    else {
                      if ( (LA(1)==BITWISEANDEQUAL) ) {
                        zzmatch_wsig(BITWISEANDEQUAL, _handler);                        
                        if ( !guessing ) {
                         _t21 = (ANTLRTokenPtr)LT(1);
                        }
if ( !guessing ) {
                        
                        _ast21 = new AST(_t21);
                        _ast21->subroot(_root, &_sibling, &_tail);
                                                }
                         consume();
                      }
                      else {
                        if ( (LA(1)==BITWISEXOREQUAL) ) {
                          zzmatch_wsig(BITWISEXOREQUAL, _handler);                          
                          if ( !guessing ) {
                           _t21 = (ANTLRTokenPtr)LT(1);
                          }
if ( !guessing ) {
                          
                          _ast21 = new AST(_t21);
                          _ast21->subroot(_root, &_sibling, &_tail);
                                                    }
                           consume();
                        }
                        else {
                          if ( (LA(1)==BITWISEOREQUAL) ) {
                            zzmatch_wsig(BITWISEOREQUAL, _handler);                            
                            if ( !guessing ) {
                             _t21 = (ANTLRTokenPtr)LT(1);
                            }
if ( !guessing ) {
                            
                            _ast21 = new AST(_t21);
                            _ast21->subroot(_root, &_sibling, &_tail);
                                                        }
                             consume();
                          }
                          else {
                            if ( guessing ) goto fail;
                            if (_sva) _signal=NoViableAlt;
                            else _signal=NoSemViableAlt;
                            goto _handler;  /* MR7 */
                          }
                        }
                      }
                    }
                  }
                }
              }
            }
          }
        }
      }
    }
    _ast = NULL;
    assignment_expression(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast14 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
  }
  else {
    if ( !zzrv ) zzGUESS_DONE;
    if ( (setwd1[LA(1)]&0x8) && (setwd1[LA(2)]&0x10)&&(_sva=(isTypeName(LT(2)->getText())),_sva) ) {
      _ast = NULL;
      conditional_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast11 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd1, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::assignment_operator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==ASSIGNEQUAL)
 ) {
    zzmatch_wsig(ASSIGNEQUAL, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
  }
  else {
    if ( (LA(1)==TIMESEQUAL) ) {
      zzmatch_wsig(TIMESEQUAL, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
       consume();
    }
    else {
      if ( (LA(1)==DIVIDEEQUAL) ) {
        zzmatch_wsig(DIVIDEEQUAL, _handler);        
        if ( !guessing ) {
         _t11 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast11 = new AST(_t11);
        _ast11->subchild(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( (LA(1)==MODEQUAL) ) {
          zzmatch_wsig(MODEQUAL, _handler);          
          if ( !guessing ) {
           _t11 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast11 = new AST(_t11);
          _ast11->subchild(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==PLUSEQUAL) ) {
            zzmatch_wsig(PLUSEQUAL, _handler);            
            if ( !guessing ) {
             _t11 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast11 = new AST(_t11);
            _ast11->subchild(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==MINUSEQUAL)
 ) {
              zzmatch_wsig(MINUSEQUAL, _handler);              
              if ( !guessing ) {
               _t11 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast11 = new AST(_t11);
              _ast11->subchild(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( (LA(1)==SHIFTLEFTEQUAL) ) {
                zzmatch_wsig(SHIFTLEFTEQUAL, _handler);                
                if ( !guessing ) {
                 _t11 = (ANTLRTokenPtr)LT(1);
                }
if ( !guessing ) {
                
                _ast11 = new AST(_t11);
                _ast11->subchild(_root, &_sibling, &_tail);
                                }
                 consume();
              }
              else {
                if ( (LA(1)==SHIFTRIGHTEQUAL) ) {
                  zzmatch_wsig(SHIFTRIGHTEQUAL, _handler);                  
                  if ( !guessing ) {
                   _t11 = (ANTLRTokenPtr)LT(1);
                  }
if ( !guessing ) {
                  
                  _ast11 = new AST(_t11);
                  _ast11->subchild(_root, &_sibling, &_tail);
                                    }
                   consume();
                }
                else {
                  if ( (LA(1)==BITWISEANDEQUAL) ) {
                    zzmatch_wsig(BITWISEANDEQUAL, _handler);                    
                    if ( !guessing ) {
                     _t11 = (ANTLRTokenPtr)LT(1);
                    }
if ( !guessing ) {
                    
                    _ast11 = new AST(_t11);
                    _ast11->subchild(_root, &_sibling, &_tail);
                                        }
                     consume();
                  }
                  else {
                    if ( (LA(1)==BITWISEXOREQUAL) ) {
                      zzmatch_wsig(BITWISEXOREQUAL, _handler);                      
                      if ( !guessing ) {
                       _t11 = (ANTLRTokenPtr)LT(1);
                      }
if ( !guessing ) {
                      
                      _ast11 = new AST(_t11);
                      _ast11->subchild(_root, &_sibling, &_tail);
                                            }
                       consume();
                    }
                    else {
                      if ( (LA(1)==BITWISEOREQUAL)
 ) {
                        zzmatch_wsig(BITWISEOREQUAL, _handler);                        
                        if ( !guessing ) {
                         _t11 = (ANTLRTokenPtr)LT(1);
                        }
if ( !guessing ) {
                        
                        _ast11 = new AST(_t11);
                        _ast11->subchild(_root, &_sibling, &_tail);
                                                }
                         consume();
                      }
                      else {
                        if ( guessing ) goto fail;
                        if (_sva) _signal=NoViableAlt;
                        else _signal=NoSemViableAlt;
                        goto _handler;  /* MR7 */
                      }
                    }
                  }
                }
              }
            }
          }
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd1, 0x40);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::conditional_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  logical_or_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL,_t23=NULL;
    AST *_ast21=NULL,*_ast22=NULL,*_ast23=NULL,*_ast24=NULL;
    if ( (LA(1)==QUESTIONMARK) ) {
      zzmatch_wsig(QUESTIONMARK, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
      zzmatch_wsig(COLON, _handler);      
      if ( !guessing ) {
       _t23 = (ANTLRTokenPtr)LT(1);
      }
  consume();
      _ast = NULL;
      conditional_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast24 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    /* MR23 skip error clause for {...} when exceptions in use */
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd1, 0x80);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::constant_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  conditional_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x1);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::logical_or_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  logical_and_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==OR) ) {
      zzmatch_wsig(OR, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      logical_and_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::logical_and_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  inclusive_or_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==AND) ) {
      zzmatch_wsig(AND, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      inclusive_or_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::inclusive_or_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  exclusive_or_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==BITWISEOR) ) {
      zzmatch_wsig(BITWISEOR, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      exclusive_or_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::exclusive_or_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  and_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==BITWISEXOR)
 ) {
      zzmatch_wsig(BITWISEXOR, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      and_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x10);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::and_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  equality_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==AMPERSAND) ) {
      zzmatch_wsig(AMPERSAND, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      equality_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::equality_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  relational_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast22=NULL;
    while ( (setwd2[LA(1)]&0x40) ) {
      {
        ANTLRTokenPtr _t31=NULL;
        AST *_ast31=NULL;
        if ( (LA(1)==NOTEQUAL) ) {
          zzmatch_wsig(NOTEQUAL, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==EQUAL) ) {
            zzmatch_wsig(EQUAL, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast31 = new AST(_t31);
            _ast31->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( guessing ) goto fail;
            if (_sva) _signal=NoViableAlt;
            else _signal=NoSemViableAlt;
            goto _handler;  /* MR7 */
          }
        }
      }
      _ast = NULL;
      relational_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd2, 0x80);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::relational_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  shift_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast22=NULL;
    while ( (setwd3[LA(1)]&0x1)
 ) {
      {
        ANTLRTokenPtr _t31=NULL;
        AST *_ast31=NULL;
        if ( (LA(1)==LESSTHAN) ) {
          zzmatch_wsig(LESSTHAN, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==GREATERTHAN) ) {
            zzmatch_wsig(GREATERTHAN, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast31 = new AST(_t31);
            _ast31->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==LESSTHANOREQUALTO) ) {
              zzmatch_wsig(LESSTHANOREQUALTO, _handler);              
              if ( !guessing ) {
               _t31 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast31 = new AST(_t31);
              _ast31->subroot(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( (LA(1)==GREATERTHANOREQUALTO) ) {
                zzmatch_wsig(GREATERTHANOREQUALTO, _handler);                
                if ( !guessing ) {
                 _t31 = (ANTLRTokenPtr)LT(1);
                }
if ( !guessing ) {
                
                _ast31 = new AST(_t31);
                _ast31->subroot(_root, &_sibling, &_tail);
                                }
                 consume();
              }
              else {
                if ( guessing ) goto fail;
                if (_sva) _signal=NoViableAlt;
                else _signal=NoSemViableAlt;
                goto _handler;  /* MR7 */
              }
            }
          }
        }
      }
      _ast = NULL;
      shift_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd3, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::shift_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  additive_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast22=NULL;
    while ( (setwd3[LA(1)]&0x4)
 ) {
      {
        ANTLRTokenPtr _t31=NULL;
        AST *_ast31=NULL;
        if ( (LA(1)==SHIFTLEFT) ) {
          zzmatch_wsig(SHIFTLEFT, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==SHIFTRIGHT) ) {
            zzmatch_wsig(SHIFTRIGHT, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast31 = new AST(_t31);
            _ast31->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( guessing ) goto fail;
            if (_sva) _signal=NoViableAlt;
            else _signal=NoSemViableAlt;
            goto _handler;  /* MR7 */
          }
        }
      }
      _ast = NULL;
      additive_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd3, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::additive_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  multiplicative_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast22=NULL;
    while ( (setwd3[LA(1)]&0x10) ) {
      {
        ANTLRTokenPtr _t31=NULL;
        AST *_ast31=NULL;
        if ( (LA(1)==PLUS) ) {
          zzmatch_wsig(PLUS, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==MINUS)
 ) {
            zzmatch_wsig(MINUS, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast31 = new AST(_t31);
            _ast31->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( guessing ) goto fail;
            if (_sva) _signal=NoViableAlt;
            else _signal=NoSemViableAlt;
            goto _handler;  /* MR7 */
          }
        }
      }
      _ast = NULL;
      multiplicative_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd3, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::multiplicative_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  cast_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast22=NULL;
    while ( (setwd3[LA(1)]&0x40) ) {
      {
        ANTLRTokenPtr _t31=NULL;
        AST *_ast31=NULL;
        if ( (LA(1)==STAR) ) {
          zzmatch_wsig(STAR, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==DIVIDE) ) {
            zzmatch_wsig(DIVIDE, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast31 = new AST(_t31);
            _ast31->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==MOD) ) {
              zzmatch_wsig(MOD, _handler);              
              if ( !guessing ) {
               _t31 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast31 = new AST(_t31);
              _ast31->subroot(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
      _ast = NULL;
      cast_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd3, 0x80);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::cast_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast13=NULL,*_ast14=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==LPARENTHESIS) && 
(setwd4[LA(2)]&0x1)&&(_sva=(isTypeName(LT(2)->getText())),_sva) ) {
    if (!(isTypeName(LT(2)->getText()))      ) {zzfailed_pred("  isTypeName(LT(2)->getText())",0 /* report */, { 0; /* no user action */ } );}
    zzmatch_wsig(LPARENTHESIS, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
    _ast = NULL;
    type_name(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast12 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
    zzmatch_wsig(RPARENTHESIS, _handler);    
    if ( !guessing ) {
     _t13 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast13 = new AST(_t13);
    _ast13->subchild(_root, &_sibling, &_tail);
        }
     consume();
    _ast = NULL;
    cast_expression(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast14 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
  }
  else {
    if ( (setwd4[LA(1)]&0x2) && (setwd4[LA(2)]&0x4) ) {
      _ast = NULL;
      unary_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast11 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd4, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::unary_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL,*_ast12=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (setwd4[LA(1)]&0x10) ) {
    _ast = NULL;
    postfix_expression(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast11 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
  }
  else {
    if ( (LA(1)==PLUSPLUS) ) {
      zzmatch_wsig(PLUSPLUS, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      unary_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast12 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( (LA(1)==MINUSMINUS) ) {
        zzmatch_wsig(MINUSMINUS, _handler);        
        if ( !guessing ) {
         _t11 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast11 = new AST(_t11);
        _ast11->subroot(_root, &_sibling, &_tail);
                }
         consume();
        _ast = NULL;
        unary_expression(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast12 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      else {
        if ( (setwd4[LA(1)]&0x20)
 ) {
          _ast = NULL;
          unary_operator(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast11 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
          _ast = NULL;
          cast_expression(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast12 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
        }
        else {
          if ( (LA(1)==SIZEOF) ) {
            zzmatch_wsig(SIZEOF, _handler);            
            if ( !guessing ) {
             _t11 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast11 = new AST(_t11);
            _ast11->subroot(_root, &_sibling, &_tail);
                        }
             consume();
            {
              ANTLRTokenPtr _t21=NULL,_t23=NULL;
              AST *_ast21=NULL,*_ast22=NULL,*_ast23=NULL;
              if ( (LA(1)==LPARENTHESIS) && (setwd4[LA(2)]&0x40)&&(_sva=(isTypeName(LT(2)->getText())),_sva) ) {
                if (!(isTypeName(LT(2)->getText()))                  ) {zzfailed_pred("  isTypeName(LT(2)->getText())",0 /* report */, { 0; /* no user action */ } );}
                zzmatch_wsig(LPARENTHESIS, _handler);                
                if ( !guessing ) {
                 _t21 = (ANTLRTokenPtr)LT(1);
                }
  consume();
                _ast = NULL;
                type_name(&_ast,&_signal); if (_signal) goto _handler;
                if (!guessing) {    /* MR10 */
                  if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                  _ast22 = (AST *)_ast;
                  ASTBase::link(_root, &_sibling, &_tail);
                };    /* MR10 */
                zzmatch_wsig(RPARENTHESIS, _handler);                
                if ( !guessing ) {
                 _t23 = (ANTLRTokenPtr)LT(1);
                }
  consume();
              }
              else {
                if ( (setwd4[LA(1)]&0x80) && (setwd5[LA(2)]&0x1) ) {
                  _ast = NULL;
                  unary_expression(&_ast,&_signal); if (_signal) goto _handler;
                  if (!guessing) {    /* MR10 */
                    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                    _ast21 = (AST *)_ast;
                    ASTBase::link(_root, &_sibling, &_tail);
                  };    /* MR10 */
                }
                else {
                  if ( guessing ) goto fail;
                  if (_sva) _signal=NoViableAlt;
                  else _signal=NoSemViableAlt;
                  goto _handler;  /* MR7 */
                }
              }
            }
          }
          else {
            if ( (LA(1)==WAITFORDONE) ) {
              _ast = NULL;
              waitfordone_expression(&_ast,&_signal); if (_signal) goto _handler;
              if (!guessing) {    /* MR10 */
                if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                _ast11 = (AST *)_ast;
                ASTBase::link(_root, &_sibling, &_tail);
              };    /* MR10 */
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd5, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::unary_operator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==AMPERSAND)
 ) {
    zzmatch_wsig(AMPERSAND, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subroot(_root, &_sibling, &_tail);
        }
     consume();
  }
  else {
    if ( (LA(1)==STAR) ) {
      zzmatch_wsig(STAR, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subroot(_root, &_sibling, &_tail);
            }
       consume();
    }
    else {
      if ( (LA(1)==PLUS) ) {
        zzmatch_wsig(PLUS, _handler);        
        if ( !guessing ) {
         _t11 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast11 = new AST(_t11);
        _ast11->subroot(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( (LA(1)==MINUS) ) {
          zzmatch_wsig(MINUS, _handler);          
          if ( !guessing ) {
           _t11 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast11 = new AST(_t11);
          _ast11->subroot(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==ONESCOMPLEMENT) ) {
            zzmatch_wsig(ONESCOMPLEMENT, _handler);            
            if ( !guessing ) {
             _t11 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast11 = new AST(_t11);
            _ast11->subroot(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==NOT)
 ) {
              zzmatch_wsig(NOT, _handler);              
              if ( !guessing ) {
               _t11 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast11 = new AST(_t11);
              _ast11->subroot(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd5, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::postfix_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  primary_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL,_t22=NULL,_t23=NULL;
    AST *_ast21=NULL,*_ast22=NULL,*_ast23=NULL;
    for (;;) {
      if ( !((setwd5[LA(1)]&0x8))) break;
      if ( (LA(1)==LSQUAREBRACKET) ) {
        zzmatch_wsig(LSQUAREBRACKET, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subroot(_root, &_sibling, &_tail);
                }
         consume();
        _ast = NULL;
        expression(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast22 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
        zzmatch_wsig(RSQUAREBRACKET, _handler);        
        if ( !guessing ) {
         _t23 = (ANTLRTokenPtr)LT(1);
        }
  consume();
      }
      else {
        if ( (LA(1)==LPARENTHESIS) ) {
          zzmatch_wsig(LPARENTHESIS, _handler);          
          if ( !guessing ) {
           _t21 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast21 = new AST(_t21);
          _ast21->subroot(_root, &_sibling, &_tail);
                    }
           consume();
          {
            AST *_ast31=NULL;
            if ( (setwd5[LA(1)]&0x10) ) {
              _ast = NULL;
              argument_expression_list(&_ast,&_signal); if (_signal) goto _handler;
              if (!guessing) {    /* MR10 */
                if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                _ast31 = (AST *)_ast;
                ASTBase::link(_root, &_sibling, &_tail);
              };    /* MR10 */
            }
            /* MR23 skip error clause for {...} when exceptions in use */
          }
          zzmatch_wsig(RPARENTHESIS, _handler);          
          if ( !guessing ) {
           _t23 = (ANTLRTokenPtr)LT(1);
          }
  consume();
        }
        else {
          if ( (LA(1)==DOT)
 ) {
            zzmatch_wsig(DOT, _handler);            
            if ( !guessing ) {
             _t21 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast21 = new AST(_t21);
            _ast21->subroot(_root, &_sibling, &_tail);
                        }
             consume();
            zzmatch_wsig(IDENTIFIER, _handler);            
            if ( !guessing ) {
             _t22 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast22 = new AST(_t22);
            _ast22->subchild(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==POINTERTO) ) {
              zzmatch_wsig(POINTERTO, _handler);              
              if ( !guessing ) {
               _t21 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast21 = new AST(_t21);
              _ast21->subroot(_root, &_sibling, &_tail);
                            }
               consume();
              zzmatch_wsig(IDENTIFIER, _handler);              
              if ( !guessing ) {
               _t22 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast22 = new AST(_t22);
              _ast22->subchild(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( (LA(1)==PLUSPLUS) ) {
                zzmatch_wsig(PLUSPLUS, _handler);                
                if ( !guessing ) {
                 _t21 = (ANTLRTokenPtr)LT(1);
                }
if ( !guessing ) {
                
                _ast21 = new AST(_t21);
                _ast21->subroot(_root, &_sibling, &_tail);
                                }
                 consume();
              }
              else {
                if ( (LA(1)==MINUSMINUS) ) {
                  zzmatch_wsig(MINUSMINUS, _handler);                  
                  if ( !guessing ) {
                   _t21 = (ANTLRTokenPtr)LT(1);
                  }
if ( !guessing ) {
                  
                  _ast21 = new AST(_t21);
                  _ast21->subroot(_root, &_sibling, &_tail);
                                    }
                   consume();
                }
                else break; /* MR6 code for exiting loop "for sure" */
              }
            }
          }
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd5, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::primary_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==IDENTIFIER) ) {
    zzmatch_wsig(IDENTIFIER, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
  }
  else {
    if ( (setwd5[LA(1)]&0x40)
 ) {
      _ast = NULL;
      constant(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast11 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( (LA(1)==STRING) ) {
        {
          ANTLRTokenPtr _t21=NULL;
          AST *_ast21=NULL;
          int zzcnt=1;
          do {
            zzmatch_wsig(STRING, _handler);            
            if ( !guessing ) {
             _t21 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast21 = new AST(_t21);
            _ast21->subchild(_root, &_sibling, &_tail);
                        }
             consume();
          } while ( (LA(1)==STRING) );
        }
      }
      else {
        if ( (LA(1)==LPARENTHESIS) ) {
          zzmatch_wsig(LPARENTHESIS, _handler);          
          if ( !guessing ) {
           _t11 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast11 = new AST(_t11);
          _ast11->subroot(_root, &_sibling, &_tail);
                    }
           consume();
          _ast = NULL;
          expression(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast12 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
          zzmatch_wsig(RPARENTHESIS, _handler);          
          if ( !guessing ) {
           _t13 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast13 = new AST(_t13);
          _ast13->subchild(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( guessing ) goto fail;
          if (_sva) _signal=NoViableAlt;
          else _signal=NoSemViableAlt;
          goto _handler;  /* MR7 */
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd5, 0x80);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::argument_expression_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  assignment_expression(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subroot(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      assignment_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd6, 0x1);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::constant(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==OCTALINT)
 ) {
    zzmatch_wsig(OCTALINT, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
  }
  else {
    if ( (LA(1)==DECIMALINT) ) {
      zzmatch_wsig(DECIMALINT, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
       consume();
    }
    else {
      if ( (LA(1)==HEXADECIMALINT) ) {
        zzmatch_wsig(HEXADECIMALINT, _handler);        
        if ( !guessing ) {
         _t11 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast11 = new AST(_t11);
        _ast11->subchild(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( (LA(1)==CHARACTER) ) {
          zzmatch_wsig(CHARACTER, _handler);          
          if ( !guessing ) {
           _t11 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast11 = new AST(_t11);
          _ast11->subchild(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( (LA(1)==FLOATONE) ) {
            zzmatch_wsig(FLOATONE, _handler);            
            if ( !guessing ) {
             _t11 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast11 = new AST(_t11);
            _ast11->subchild(_root, &_sibling, &_tail);
                        }
             consume();
          }
          else {
            if ( (LA(1)==FLOATTWO)
 ) {
              zzmatch_wsig(FLOATTWO, _handler);              
              if ( !guessing ) {
               _t11 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast11 = new AST(_t11);
              _ast11->subchild(_root, &_sibling, &_tail);
                            }
               consume();
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd6, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::waitfordone_expression(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzmatch_wsig(WAITFORDONE, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subroot(_root, &_sibling, &_tail);
    }
   consume();
  {
    ANTLRTokenPtr _t21=NULL,_t24=NULL;
    AST *_ast21=NULL,*_ast22=NULL,*_ast24=NULL;
    if ( (LA(1)==IDENTIFIER) ) {
      _ast = NULL;
      waitfordone_call(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast21 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( (LA(1)==LCURLYBRACE) ) {
        zzmatch_wsig(LCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
  consume();
        _ast = NULL;
        waitfordone_call(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast22 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
        {
          ANTLRTokenPtr _t31=NULL;
          AST *_ast31=NULL,*_ast32=NULL;
          while ( (LA(1)==SEMICOLON) ) {
            zzmatch_wsig(SEMICOLON, _handler);            
            if ( !guessing ) {
             _t31 = (ANTLRTokenPtr)LT(1);
            }
  consume();
            _ast = NULL;
            waitfordone_call(&_ast,&_signal); if (_signal) goto _handler;
            if (!guessing) {    /* MR10 */
              if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
              _ast32 = (AST *)_ast;
              ASTBase::link(_root, &_sibling, &_tail);
            };    /* MR10 */
          }
        }
        zzmatch_wsig(RCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t24 = (ANTLRTokenPtr)LT(1);
        }
  consume();
      }
      else {
        if ( guessing ) goto fail;
        if (_sva) _signal=NoViableAlt;
        else _signal=NoSemViableAlt;
        goto _handler;  /* MR7 */
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd6, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::waitfordone_call(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t12=NULL,_t14=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast14=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzmatch_wsig(IDENTIFIER, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  zzmatch_wsig(LPARENTHESIS, _handler);  
  if ( !guessing ) {
   _t12 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast12 = new AST(_t12);
  _ast12->subroot(_root, &_sibling, &_tail);
    }
   consume();
  {
    AST *_ast21=NULL;
    if ( (setwd6[LA(1)]&0x8) ) {
      _ast = NULL;
      argument_expression_list(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast21 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    /* MR23 skip error clause for {...} when exceptions in use */
  }
  zzmatch_wsig(RPARENTHESIS, _handler);  
  if ( !guessing ) {
   _t14 = (ANTLRTokenPtr)LT(1);
  }
  consume();
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd6, 0x10);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::type_name(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL,*_ast12=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  specifier_qualifier_list(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  _ast = NULL;
  abstract_declarator(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast12 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd6, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::specifier_qualifier_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  int quals = 0, types = 0, bits = 0;
  {
    AST *_ast21=NULL;
    int zzcnt=1;
    do {
      if ( (setwd6[LA(1)]&0x40) && 
(setwd6[LA(2)]&0x80)&&(_sva=(isTypeName(LT(1)->getText())),_sva) ) {
        _ast = NULL;
        if ( !guessing ) {
           bits  = type_specifier(&_ast,&_signal); if (_signal) goto _handler;
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        } else {
          type_specifier(&_ast,&_signal);
        }
        if ( !guessing ) {
        types = combineTypeSpecifiers(types, bits, LT(1));
        }
      }
      else {
        if ( (setwd7[LA(1)]&0x1) ) {
          _ast = NULL;
          if ( !guessing ) {
             bits  = type_qualifier(&_ast,&_signal); if (_signal) goto _handler;
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          } else {
            type_qualifier(&_ast,&_signal);
          }
          if ( !guessing ) {
          quals = addQualifier(quals, bits, LT(1));
          }
        }
        /* MR10 ()+ */ else {
          if ( zzcnt > 1 ) break;
          else {
            if ( guessing ) goto fail;
            if (_sva) _signal=NoViableAlt;
            else _signal=NoSemViableAlt;
            goto _handler;  /* MR7 */
          }
        }
      }
      zzcnt++;
    } while ( 1 );
  }
  if ( !guessing ) {
  setDeclarationSpecifiers(kNoStorage, quals, types);
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd7, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::declaration_specifiers(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  int storage = kNoStorage, quals = 0, types = 0, bits = 0;
  {
    AST *_ast21=NULL;
    int zzcnt=1;
    do {
      if ( (setwd7[LA(1)]&0x4) ) {
        _ast = NULL;
        if ( !guessing ) {
           storage  = storage_class_specifier(&_ast,&_signal, storage ); if (_signal) goto _handler;
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        } else {
          storage_class_specifier(&_ast,&_signal, storage );
        }
      }
      else {
        if ( (setwd7[LA(1)]&0x8) && (setwd7[LA(2)]&0x10)&&(_sva=(isTypeName(LT(1)->getText())),_sva) ) {
          _ast = NULL;
          if ( !guessing ) {
             bits  = type_specifier(&_ast,&_signal); if (_signal) goto _handler;
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          } else {
            type_specifier(&_ast,&_signal);
          }
          if ( !guessing ) {
          types = combineTypeSpecifiers(types, bits, LT(1));
          }
        }
        else {
          if ( (setwd7[LA(1)]&0x20) ) {
            _ast = NULL;
            if ( !guessing ) {
               bits  = type_qualifier(&_ast,&_signal); if (_signal) goto _handler;
              if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
              _ast21 = (AST *)_ast;
              ASTBase::link(_root, &_sibling, &_tail);
            } else {
              type_qualifier(&_ast,&_signal);
            }
            if ( !guessing ) {
            quals = addQualifier(quals, bits, LT(1));
            }
          }
          /* MR10 ()+ */ else {
            if ( zzcnt > 1 ) break;
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
      zzcnt++;
    } while ( 1 );
  }
  if ( !guessing ) {
  setDeclarationSpecifiers(storage, quals, types);
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd7, 0x40);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

int
CParser::storage_class_specifier(ASTBase **_root,int *_retsignal,int prior)
{
  int   _retv;
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
;
  int _signal=NoSignal;
  PCCTS_PURIFY(_retv,sizeof(int  ))
  *_retsignal = NoSignal;
  if (!guessing && prior != kNoStorage) syntaxError("multiple storage classes", LT(1));
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL;
    if ( (LA(1)==PCCTS_AUTO)
 ) {
      zzmatch_wsig(PCCTS_AUTO, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      _retv = kAuto;
      }
 consume();
    }
    else {
      if ( (LA(1)==PCCTS_REGISTER) ) {
        zzmatch_wsig(PCCTS_REGISTER, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subchild(_root, &_sibling, &_tail);
                }
        
        if ( !guessing ) {
        _retv = kRegister;
        }
 consume();
      }
      else {
        if ( (LA(1)==PCCTS_STATIC) ) {
          zzmatch_wsig(PCCTS_STATIC, _handler);          
          if ( !guessing ) {
           _t21 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast21 = new AST(_t21);
          _ast21->subchild(_root, &_sibling, &_tail);
                    }
          
          if ( !guessing ) {
          _retv = kStatic;
          }
 consume();
        }
        else {
          if ( (LA(1)==EXTERN) ) {
            zzmatch_wsig(EXTERN, _handler);            
            if ( !guessing ) {
             _t21 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast21 = new AST(_t21);
            _ast21->subchild(_root, &_sibling, &_tail);
                        }
            
            if ( !guessing ) {
            _retv = kExtern;
            }
 consume();
          }
          else {
            if ( (LA(1)==PCCTS_TYPEDEF) ) {
              zzmatch_wsig(PCCTS_TYPEDEF, _handler);              
              if ( !guessing ) {
               _t21 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast21 = new AST(_t21);
              _ast21->subchild(_root, &_sibling, &_tail);
                            }
              
              if ( !guessing ) {
              _retv = kTypedef;
              }
 consume();
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
    }
  }
  return _retv;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd7, 0x80);
  return _retv;
_handler:
  zzdflthandlers(_signal,_retsignal);
  return _retv;
}

int
CParser::type_specifier(ASTBase **_root,int *_retsignal)
{
  int   _retv;
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  PCCTS_PURIFY(_retv,sizeof(int  ))
  *_retsignal = NoSignal;
  if ( (LA(1)==PCCTS_VOID)
 ) {
    zzmatch_wsig(PCCTS_VOID, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
    
    if ( !guessing ) {
    _retv = kVoid;
    }
 consume();
  }
  else {
    if ( (LA(1)==PCCTS_CHAR) ) {
      zzmatch_wsig(PCCTS_CHAR, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      _retv = kChar;
      }
 consume();
    }
    else {
      if ( (LA(1)==PCCTS_SHORT) ) {
        zzmatch_wsig(PCCTS_SHORT, _handler);        
        if ( !guessing ) {
         _t11 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast11 = new AST(_t11);
        _ast11->subchild(_root, &_sibling, &_tail);
                }
        
        if ( !guessing ) {
        _retv = kShort;
        }
 consume();
      }
      else {
        if ( (LA(1)==PCCTS_INT) ) {
          zzmatch_wsig(PCCTS_INT, _handler);          
          if ( !guessing ) {
           _t11 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast11 = new AST(_t11);
          _ast11->subchild(_root, &_sibling, &_tail);
                    }
          
          if ( !guessing ) {
          _retv = kInt;
          }
 consume();
        }
        else {
          if ( (LA(1)==PCCTS_LONG) ) {
            zzmatch_wsig(PCCTS_LONG, _handler);            
            if ( !guessing ) {
             _t11 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast11 = new AST(_t11);
            _ast11->subchild(_root, &_sibling, &_tail);
                        }
            
            if ( !guessing ) {
            _retv = kLong;
            }
 consume();
          }
          else {
            if ( (LA(1)==PCCTS_FLOAT)
 ) {
              zzmatch_wsig(PCCTS_FLOAT, _handler);              
              if ( !guessing ) {
               _t11 = (ANTLRTokenPtr)LT(1);
              }
if ( !guessing ) {
              
              _ast11 = new AST(_t11);
              _ast11->subchild(_root, &_sibling, &_tail);
                            }
              
              if ( !guessing ) {
              _retv = kFloat;
              }
 consume();
            }
            else {
              if ( (LA(1)==PCCTS_DOUBLE) ) {
                zzmatch_wsig(PCCTS_DOUBLE, _handler);                
                if ( !guessing ) {
                 _t11 = (ANTLRTokenPtr)LT(1);
                }
if ( !guessing ) {
                
                _ast11 = new AST(_t11);
                _ast11->subchild(_root, &_sibling, &_tail);
                                }
                
                if ( !guessing ) {
                _retv = kDouble;
                }
 consume();
              }
              else {
                if ( (LA(1)==SIGNED) ) {
                  zzmatch_wsig(SIGNED, _handler);                  
                  if ( !guessing ) {
                   _t11 = (ANTLRTokenPtr)LT(1);
                  }
if ( !guessing ) {
                  
                  _ast11 = new AST(_t11);
                  _ast11->subchild(_root, &_sibling, &_tail);
                                    }
                  
                  if ( !guessing ) {
                  _retv = kSigned;
                  }
 consume();
                }
                else {
                  if ( (LA(1)==UNSIGNED) ) {
                    zzmatch_wsig(UNSIGNED, _handler);                    
                    if ( !guessing ) {
                     _t11 = (ANTLRTokenPtr)LT(1);
                    }
if ( !guessing ) {
                    
                    _ast11 = new AST(_t11);
                    _ast11->subchild(_root, &_sibling, &_tail);
                                        }
                    
                    if ( !guessing ) {
                    _retv = kUnsigned;
                    }
 consume();
                  }
                  else {
                    if ( (setwd8[LA(1)]&0x1) ) {
                      _ast = NULL;
                      if ( !guessing ) {
                         _retv  = struct_or_union_specifier(&_ast,&_signal); if (_signal) goto _handler;
                        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                        _ast11 = (AST *)_ast;
                        ASTBase::link(_root, &_sibling, &_tail);
                      } else {
                        struct_or_union_specifier(&_ast,&_signal);
                      }
                    }
                    else {
                      if ( (LA(1)==ENUM)
 ) {
                        _ast = NULL;
                        enum_specifier(&_ast,&_signal); if (_signal) goto _handler;
                        if (!guessing) {    /* MR10 */
                          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                          _ast11 = (AST *)_ast;
                          ASTBase::link(_root, &_sibling, &_tail);
                        };    /* MR10 */
                        if ( !guessing ) {
                        _retv = kEnum;
                        }
                      }
                      else {
                        if ( (LA(1)==IDENTIFIER) ) {
                          _ast = NULL;
                          typedef_name(&_ast,&_signal); if (_signal) goto _handler;
                          if (!guessing) {    /* MR10 */
                            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                            _ast11 = (AST *)_ast;
                            ASTBase::link(_root, &_sibling, &_tail);
                          };    /* MR10 */
                          if ( !guessing ) {
                          _retv = kTypedefName;
                          }
                        }
                        else {
                          if ( guessing ) goto fail;
                          if (_sva) _signal=NoViableAlt;
                          else _signal=NoSemViableAlt;
                          goto _handler;  /* MR7 */
                        }
                      }
                    }
                  }
                }
              }
            }
          }
        }
      }
    }
  }
  return _retv;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd8, 0x2);
  return _retv;
_handler:
  zzdflthandlers(_signal,_retsignal);
  return _retv;
}

void
CParser::typedef_name(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if (!(isTypeName(LT(1)->getText()))    ) {zzfailed_pred("  isTypeName(LT(1)->getText())",0 /* report */, { 0; /* no user action */ } );}
  zzmatch_wsig(IDENTIFIER, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd8, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

int
CParser::type_qualifier(ASTBase **_root,int *_retsignal)
{
  int   _retv;
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  PCCTS_PURIFY(_retv,sizeof(int  ))
  *_retsignal = NoSignal;
  if ( (LA(1)==PCCTS_CONST) ) {
    zzmatch_wsig(PCCTS_CONST, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
    
    if ( !guessing ) {
    _retv = kConst;
    }
 consume();
  }
  else {
    if ( (LA(1)==VOLATILE) ) {
      zzmatch_wsig(VOLATILE, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      _retv = kVolatile;
      }
 consume();
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return _retv;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd8, 0x8);
  return _retv;
_handler:
  zzdflthandlers(_signal,_retsignal);
  return _retv;
}

int
CParser::struct_or_union_specifier(ASTBase **_root,int *_retsignal)
{
  int   _retv;
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
;
  ANTLRTokenPtr tag=NULL;
  AST *tag_ast=NULL;
  int _signal=NoSignal;
  PCCTS_PURIFY(_retv,sizeof(int  ))
  *_retsignal = NoSignal;
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL;
    if ( (LA(1)==STRUCT) ) {
      zzmatch_wsig(STRUCT, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      _retv = kStruct;
      }
 consume();
    }
    else {
      if ( (LA(1)==UNION)
 ) {
        zzmatch_wsig(UNION, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subchild(_root, &_sibling, &_tail);
                }
        
        if ( !guessing ) {
        _retv = kUnion;
        }
 consume();
      }
      else {
        if ( guessing ) goto fail;
        if (_sva) _signal=NoViableAlt;
        else _signal=NoSemViableAlt;
        goto _handler;  /* MR7 */
      }
    }
  }
  {
    ANTLRTokenPtr _t21=NULL,_t22=NULL,_t23=NULL,_t24=NULL;
    AST *_ast21=NULL,*_ast22=NULL,*_ast23=NULL,*_ast24=NULL;
    if ( (LA(1)==IDENTIFIER) && (setwd8[LA(2)]&0x10) ) {
      zzmatch_wsig(IDENTIFIER, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
    }
    else {
      if ( (LA(1)==IDENTIFIER) && (LA(2)==LCURLYBRACE) ) {
        zzmatch_wsig(IDENTIFIER, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subchild(_root, &_sibling, &_tail);
                }
        
        if ( !guessing ) {
                tag = _t21;
        tag_ast = _ast21;
        }
         consume();
        zzmatch_wsig(LCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t22 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast22 = new AST(_t22);
        _ast22->subchild(_root, &_sibling, &_tail);
                }
        
        if ( !guessing ) {
        beginStructBody(_retv,  tag->getText());
        }
 consume();
        {
          AST *_ast31=NULL;
          int zzcnt=1;
          if ((_sva=(isTypeName(LT(1)->getText())),_sva)) {
          do {
            _ast = NULL;
            struct_declaration(&_ast,&_signal); if (_signal) goto _handler;
            if (!guessing) {    /* MR10 */
              if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
              _ast31 = (AST *)_ast;
              ASTBase::link(_root, &_sibling, &_tail);
            };    /* MR10 */
          } while ( (setwd8[LA(1)]&0x20)&&(_sva=(isTypeName(LT(1)->getText())),_sva) );
          }
        }
        if ( !guessing ) {
        endStructBody();
        }
        zzmatch_wsig(RCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t24 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast24 = new AST(_t24);
        _ast24->subchild(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( (LA(1)==LCURLYBRACE) ) {
          zzmatch_wsig(LCURLYBRACE, _handler);          
          if ( !guessing ) {
           _t21 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast21 = new AST(_t21);
          _ast21->subchild(_root, &_sibling, &_tail);
                    }
          
          if ( !guessing ) {
          beginStructBody(_retv, "anonymous");
          }
 consume();
          {
            AST *_ast31=NULL;
            int zzcnt=1;
            if ((_sva=(isTypeName(LT(1)->getText())),_sva)) {
            do {
              _ast = NULL;
              struct_declaration(&_ast,&_signal); if (_signal) goto _handler;
              if (!guessing) {    /* MR10 */
                if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                _ast31 = (AST *)_ast;
                ASTBase::link(_root, &_sibling, &_tail);
              };    /* MR10 */
            } while ( (setwd8[LA(1)]&0x40)
&&(_sva=(isTypeName(LT(1)->getText())),_sva) );
            }
          }
          if ( !guessing ) {
          endStructBody();
          }
          zzmatch_wsig(RCURLYBRACE, _handler);          
          if ( !guessing ) {
           _t23 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast23 = new AST(_t23);
          _ast23->subchild(_root, &_sibling, &_tail);
                    }
           consume();
        }
        else {
          if ( guessing ) goto fail;
          if (_sva) _signal=NoViableAlt;
          else _signal=NoSemViableAlt;
          goto _handler;  /* MR7 */
        }
      }
    }
  }
  return _retv;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd8, 0x80);
  return _retv;
_handler:
  zzdflthandlers(_signal,_retsignal);
  return _retv;
}

void
CParser::struct_declaration(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t13=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if (!guessing) beginStructDeclaration();
  _ast = NULL;
  specifier_qualifier_list(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  _ast = NULL;
  struct_declarator_list(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast12 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  zzmatch_wsig(SEMICOLON, _handler);  
  if ( !guessing ) {
   _t13 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast13 = new AST(_t13);
  _ast13->subchild(_root, &_sibling, &_tail);
    }
  
  if ( !guessing ) {
  endStructDeclaration();
  }
 consume();
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x1);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::struct_declarator_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  struct_declarator(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      struct_declarator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x2);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::struct_declarator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL,*_ast12=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (setwd9[LA(1)]&0x4) ) {
    _ast = NULL;
    declarator(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast11 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
    {
      ANTLRTokenPtr _t21=NULL;
      AST *_ast21=NULL,*_ast22=NULL;
      if ( (LA(1)==COLON) ) {
        zzmatch_wsig(COLON, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subchild(_root, &_sibling, &_tail);
                }
         consume();
        _ast = NULL;
        constant_expression(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast22 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      /* MR23 skip error clause for {...} when exceptions in use */
    }
  }
  else {
    if ( (LA(1)==COLON) ) {
      zzmatch_wsig(COLON, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      constant_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast12 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::enum_specifier(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzmatch_wsig(ENUM, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  {
    ANTLRTokenPtr _t21=NULL,_t23=NULL;
    AST *_ast21=NULL,*_ast22=NULL,*_ast23=NULL;
    if ( (LA(1)==IDENTIFIER)
 ) {
      zzmatch_wsig(IDENTIFIER, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      {
        ANTLRTokenPtr _t31=NULL,_t33=NULL;
        AST *_ast31=NULL,*_ast32=NULL,*_ast33=NULL;
        if ( (LA(1)==LCURLYBRACE) ) {
          zzmatch_wsig(LCURLYBRACE, _handler);          
          if ( !guessing ) {
           _t31 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast31 = new AST(_t31);
          _ast31->subchild(_root, &_sibling, &_tail);
                    }
           consume();
          _ast = NULL;
          enumerator_list(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast32 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
          zzmatch_wsig(RCURLYBRACE, _handler);          
          if ( !guessing ) {
           _t33 = (ANTLRTokenPtr)LT(1);
          }
if ( !guessing ) {
          
          _ast33 = new AST(_t33);
          _ast33->subchild(_root, &_sibling, &_tail);
                    }
           consume();
        }
        /* MR23 skip error clause for {...} when exceptions in use */
      }
    }
    else {
      if ( (LA(1)==LCURLYBRACE) ) {
        zzmatch_wsig(LCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t21 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast21 = new AST(_t21);
        _ast21->subchild(_root, &_sibling, &_tail);
                }
         consume();
        _ast = NULL;
        enumerator_list(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast22 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
        zzmatch_wsig(RCURLYBRACE, _handler);        
        if ( !guessing ) {
         _t23 = (ANTLRTokenPtr)LT(1);
        }
if ( !guessing ) {
        
        _ast23 = new AST(_t23);
        _ast23->subchild(_root, &_sibling, &_tail);
                }
         consume();
      }
      else {
        if ( guessing ) goto fail;
        if (_sva) _signal=NoViableAlt;
        else _signal=NoSemViableAlt;
        goto _handler;  /* MR7 */
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x10);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::enumerator_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  enumerator(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      enumerator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::enumerator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzmatch_wsig(IDENTIFIER, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    if ( (LA(1)==ASSIGNEQUAL) ) {
      zzmatch_wsig(ASSIGNEQUAL, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      constant_expression(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    /* MR23 skip error clause for {...} when exceptions in use */
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd9, 0x40);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

int
CParser::pointer(ASTBase **_root,int *_retsignal)
{
  int   _retv;
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  PCCTS_PURIFY(_retv,sizeof(int  ))
  *_retsignal = NoSignal;
  int bits = 0;
  zzmatch_wsig(STAR, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  {
    AST *_ast21=NULL;
    while ( (setwd9[LA(1)]&0x80)
 ) {
      _ast = NULL;
      if ( !guessing ) {
         bits  = type_qualifier(&_ast,&_signal); if (_signal) goto _handler;
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast21 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      } else {
        type_qualifier(&_ast,&_signal);
      }
      if ( !guessing ) {
      _retv = addQualifier(_retv, bits, LT(1));
      }
    }
  }
  return _retv;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd10, 0x1);
  return _retv;
_handler:
  zzdflthandlers(_signal,_retsignal);
  return _retv;
}

void
CParser::declarator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL,*_ast12=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  int quals = 0;
  if ( (LA(1)==STAR) ) {
    _ast = NULL;
    if ( !guessing ) {
       quals  = pointer(&_ast,&_signal); if (_signal) goto _handler;
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast11 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    } else {
      pointer(&_ast,&_signal);
    }
    _ast = NULL;
    declarator(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast12 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
    if ( !guessing ) {
    setPointerQualifiers(quals);
    }
  }
  else {
    if ( (setwd10[LA(1)]&0x2) ) {
      _ast = NULL;
      direct_declarator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast11 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd10, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::direct_declarator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast13=NULL;
  ANTLRTokenPtr name=NULL;
  AST *name_ast=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==IDENTIFIER) ) {
    zzmatch_wsig(IDENTIFIER, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
    
    if ( !guessing ) {
        name = _t11;
    name_ast = _ast11;
    }
    
    if ( !guessing ) {
    declaratorName( name->getText());
    }
 consume();
    {
      AST *_ast21=NULL;
      while ( (setwd10[LA(1)]&0x8) ) {
        _ast = NULL;
        declarator_suffix(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
    }
  }
  else {
    if ( (LA(1)==LPARENTHESIS)
 ) {
      zzmatch_wsig(LPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      declarator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast12 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
      zzmatch_wsig(RPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t13 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast13 = new AST(_t13);
      _ast13->subchild(_root, &_sibling, &_tail);
            }
       consume();
      {
        AST *_ast21=NULL;
        while ( (setwd10[LA(1)]&0x10) ) {
          _ast = NULL;
          declarator_suffix(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
        }
      }
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd10, 0x20);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::declarator_suffix(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==LSQUAREBRACKET) ) {
    zzmatch_wsig(LSQUAREBRACKET, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
    {
      AST *_ast21=NULL;
      if ( (setwd10[LA(1)]&0x40) ) {
        _ast = NULL;
        constant_expression(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      /* MR23 skip error clause for {...} when exceptions in use */
    }
    zzmatch_wsig(RSQUAREBRACKET, _handler);    
    if ( !guessing ) {
     _t13 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast13 = new AST(_t13);
    _ast13->subchild(_root, &_sibling, &_tail);
        }
    
    if ( !guessing ) {
    arraySuffix();
    }
 consume();
  }
  else {
    if ( (LA(1)==LPARENTHESIS) ) {
      zzmatch_wsig(LPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      beginFunctionParameters();
      }
 consume();
      {
        AST *_ast21=NULL;
        if ( (LA(1)==IDENTIFIER) && 
(setwd10[LA(2)]&0x80)&&(_sva=(!isTypeName(LT(1)->getText())),_sva) ) {
          if (!(!isTypeName(LT(1)->getText()))            ) {zzfailed_pred("  !isTypeName(LT(1)->getText())",0 /* report */, { 0; /* no user action */ } );}
          _ast = NULL;
          identifier_list(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
        }
        else {
          if ( (setwd11[LA(1)]&0x1) && (setwd11[LA(2)]&0x2)&&(_sva=(isTypeName(LT(1)->getText())),_sva) ) {
            _ast = NULL;
            parameter_type_list(&_ast,&_signal); if (_signal) goto _handler;
            if (!guessing) {    /* MR10 */
              if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
              _ast21 = (AST *)_ast;
              ASTBase::link(_root, &_sibling, &_tail);
            };    /* MR10 */
          }
          else {
            if ( (LA(1)==RPARENTHESIS) ) {
            }
            else {
              if ( guessing ) goto fail;
              if (_sva) _signal=NoViableAlt;
              else _signal=NoSemViableAlt;
              goto _handler;  /* MR7 */
            }
          }
        }
      }
      zzmatch_wsig(RPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t13 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast13 = new AST(_t13);
      _ast13->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      endFunctionParameters();
      }
 consume();
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd11, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::identifier_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  zzmatch_wsig(IDENTIFIER, _handler);  
  if ( !guessing ) {
   _t11 = (ANTLRTokenPtr)LT(1);
  }
if ( !guessing ) {
  
  _ast11 = new AST(_t11);
  _ast11->subchild(_root, &_sibling, &_tail);
    }
   consume();
  {
    ANTLRTokenPtr _t21=NULL,_t22=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      zzmatch_wsig(IDENTIFIER, _handler);      
      if ( !guessing ) {
       _t22 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast22 = new AST(_t22);
      _ast22->subchild(_root, &_sibling, &_tail);
            }
       consume();
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd11, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::parameter_type_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  parameter_list(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL,_t22=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    if ( (LA(1)==COMMA) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      zzmatch_wsig(ELLIPSIS, _handler);      
      if ( !guessing ) {
       _t22 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast22 = new AST(_t22);
      _ast22->subchild(_root, &_sibling, &_tail);
            }
       consume();
    }
    /* MR23 skip error clause for {...} when exceptions in use */
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd11, 0x10);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::parameter_list(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  _ast = NULL;
  parameter_declaration(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    ANTLRTokenPtr _t21=NULL;
    AST *_ast21=NULL,*_ast22=NULL;
    while ( (LA(1)==COMMA) && 
(setwd11[LA(2)]&0x20) ) {
      zzmatch_wsig(COMMA, _handler);      
      if ( !guessing ) {
       _t21 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast21 = new AST(_t21);
      _ast21->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      parameter_declaration(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd11, 0x40);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::parameter_declaration(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  AST *_ast11=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if (!guessing) beginParameterDeclaration();
  _ast = NULL;
  declaration_specifiers(&_ast,&_signal); if (_signal) goto _handler;
  if (!guessing) {    /* MR10 */
    if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
    _ast11 = (AST *)_ast;
    ASTBase::link(_root, &_sibling, &_tail);
  };    /* MR10 */
  {
    AST *_ast21=NULL,*_ast22=NULL;
    zzGUESS_BLOCK
    zzGUESS
    if ( !zzrv && (setwd11[LA(1)]&0x80) && (setwd12[LA(2)]&0x1) ) {
      {
        AST *_ast31=NULL;
        _ast = NULL;
        declarator(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast31 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      zzGUESS_DONE
      _ast = NULL;
      declarator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast22 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
    }
    else {
      if ( !zzrv ) zzGUESS_DONE;
      if ( (setwd12[LA(1)]&0x2) && (setwd12[LA(2)]&0x4) ) {
        _ast = NULL;
        abstract_declarator(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      else {
        if ( guessing ) goto fail;
        if (_sva) _signal=NoViableAlt;
        else _signal=NoSemViableAlt;
        goto _handler;  /* MR7 */
      }
    }
  }
  if ( !guessing ) {
  endParameterDeclaration();
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd12, 0x8);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::abstract_declarator(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast12=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  int quals = 0;
  if ( (LA(1)==STAR) ) {
    _ast = NULL;
    if ( !guessing ) {
       quals  = pointer(&_ast,&_signal); if (_signal) goto _handler;
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast11 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    } else {
      pointer(&_ast,&_signal);
    }
    _ast = NULL;
    abstract_declarator(&_ast,&_signal); if (_signal) goto _handler;
    if (!guessing) {    /* MR10 */
      if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
      _ast12 = (AST *)_ast;
      ASTBase::link(_root, &_sibling, &_tail);
    };    /* MR10 */
    if ( !guessing ) {
    setPointerQualifiers(quals);
    }
  }
  else {
    if ( (LA(1)==LPARENTHESIS) ) {
      zzmatch_wsig(LPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
       consume();
      _ast = NULL;
      abstract_declarator(&_ast,&_signal); if (_signal) goto _handler;
      if (!guessing) {    /* MR10 */
        if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
        _ast12 = (AST *)_ast;
        ASTBase::link(_root, &_sibling, &_tail);
      };    /* MR10 */
      zzmatch_wsig(RPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t13 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast13 = new AST(_t13);
      _ast13->subchild(_root, &_sibling, &_tail);
            }
       consume();
      {
        AST *_ast21=NULL;
        int zzcnt=1;
        do {
          _ast = NULL;
          abstract_declarator_suffix(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
        } while ( (setwd12[LA(1)]&0x10)
 );
      }
    }
    else {
      if ( (LA(1)==LSQUAREBRACKET) ) {
        {
          ANTLRTokenPtr _t21=NULL,_t23=NULL;
          AST *_ast21=NULL,*_ast23=NULL;
          int zzcnt=1;
          do {
            zzmatch_wsig(LSQUAREBRACKET, _handler);            
            if ( !guessing ) {
             _t21 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast21 = new AST(_t21);
            _ast21->subchild(_root, &_sibling, &_tail);
                        }
             consume();
            {
              AST *_ast31=NULL;
              if ( (setwd12[LA(1)]&0x20) ) {
                _ast = NULL;
                constant_expression(&_ast,&_signal); if (_signal) goto _handler;
                if (!guessing) {    /* MR10 */
                  if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
                  _ast31 = (AST *)_ast;
                  ASTBase::link(_root, &_sibling, &_tail);
                };    /* MR10 */
              }
              /* MR23 skip error clause for {...} when exceptions in use */
            }
            zzmatch_wsig(RSQUAREBRACKET, _handler);            
            if ( !guessing ) {
             _t23 = (ANTLRTokenPtr)LT(1);
            }
if ( !guessing ) {
            
            _ast23 = new AST(_t23);
            _ast23->subchild(_root, &_sibling, &_tail);
                        }
            
            if ( !guessing ) {
            arraySuffix();
            }
 consume();
          } while ( (LA(1)==LSQUAREBRACKET) );
        }
      }
      else {
        if ( (setwd12[LA(1)]&0x40) ) {
        }
        else {
          if ( guessing ) goto fail;
          if (_sva) _signal=NoViableAlt;
          else _signal=NoSemViableAlt;
          goto _handler;  /* MR7 */
        }
      }
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd12, 0x80);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}

void
CParser::abstract_declarator_suffix(ASTBase **_root,int *_retsignal)
{
  zzRULE;
  int _sva=1;
  ASTBase *_ast = NULL, *_sibling = NULL, *_tail = NULL;
  ANTLRTokenPtr _t11=NULL,_t13=NULL;
  AST *_ast11=NULL,*_ast13=NULL;
  int _signal=NoSignal;
  *_retsignal = NoSignal;
  if ( (LA(1)==LSQUAREBRACKET)
 ) {
    zzmatch_wsig(LSQUAREBRACKET, _handler);    
    if ( !guessing ) {
     _t11 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast11 = new AST(_t11);
    _ast11->subchild(_root, &_sibling, &_tail);
        }
     consume();
    {
      AST *_ast21=NULL;
      if ( (setwd13[LA(1)]&0x1) ) {
        _ast = NULL;
        constant_expression(&_ast,&_signal); if (_signal) goto _handler;
        if (!guessing) {    /* MR10 */
          if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
          _ast21 = (AST *)_ast;
          ASTBase::link(_root, &_sibling, &_tail);
        };    /* MR10 */
      }
      /* MR23 skip error clause for {...} when exceptions in use */
    }
    zzmatch_wsig(RSQUAREBRACKET, _handler);    
    if ( !guessing ) {
     _t13 = (ANTLRTokenPtr)LT(1);
    }
if ( !guessing ) {
    
    _ast13 = new AST(_t13);
    _ast13->subchild(_root, &_sibling, &_tail);
        }
    
    if ( !guessing ) {
    arraySuffix();
    }
 consume();
  }
  else {
    if ( (LA(1)==LPARENTHESIS) ) {
      zzmatch_wsig(LPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t11 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast11 = new AST(_t11);
      _ast11->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      beginFunctionParameters();
      }
 consume();
      {
        AST *_ast21=NULL;
        if ( (setwd13[LA(1)]&0x2) ) {
          _ast = NULL;
          parameter_type_list(&_ast,&_signal); if (_signal) goto _handler;
          if (!guessing) {    /* MR10 */
            if ( _tail==NULL ) _sibling = _ast; else _tail->setRight(_ast);
            _ast21 = (AST *)_ast;
            ASTBase::link(_root, &_sibling, &_tail);
          };    /* MR10 */
        }
        /* MR23 skip error clause for {...} when exceptions in use */
      }
      zzmatch_wsig(RPARENTHESIS, _handler);      
      if ( !guessing ) {
       _t13 = (ANTLRTokenPtr)LT(1);
      }
if ( !guessing ) {
      
      _ast13 = new AST(_t13);
      _ast13->subchild(_root, &_sibling, &_tail);
            }
      
      if ( !guessing ) {
      endFunctionParameters();
      }
 consume();
    }
    else {
      if ( guessing ) goto fail;
      if (_sva) _signal=NoViableAlt;
      else _signal=NoSemViableAlt;
      goto _handler;  /* MR7 */
    }
  }
  return;
fail:
  if ( guessing ) zzGUESS_FAIL;
  syn(zzBadTok, (ANTLRChar *)"", zzMissSet, zzMissTok, zzErrk);
  resynch(setwd13, 0x4);
_handler:
  zzdflthandlers(_signal,_retsignal);
  return;
}
